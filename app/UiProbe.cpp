#include "UiProbe.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <functional>

namespace trellum {

namespace {

QJsonArray rectJson(const QRect& r)
{
    return QJsonArray { r.x(), r.y(), r.width(), r.height() };
}

// The widget's rectangle on the screen.
QRect screenRect(const QWidget* w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

QJsonArray pathOf(const QWidget* w)
{
    QStringList names;
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (!p->objectName().isEmpty())
            names.prepend(p->objectName());
    return QJsonArray::fromStringList(names);
}

QJsonArray actionsOf(const QWidget* owner, const QList<QAction*>& actions,
                     const std::function<QRect(QAction*)>& geometry)
{
    QJsonArray list;
    for (QAction* a : actions) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QRect local = geometry(a);
        if (local.isEmpty())
            continue;
        list.append(QJsonObject {
            { QStringLiteral("text"), a->text() },
            { QStringLiteral("enabled"), a->isEnabled() },
            { QStringLiteral("rect"), rectJson(QRect(owner->mapToGlobal(local.topLeft()), local.size())) },
        });
    }
    return list;
}

QString textOf(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w))
        return t->toPlainText();
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w))
        return s->text();
    if (auto* m = qobject_cast<const QMessageBox*>(w))
        return m->text();
    return {};
}

void describeWidget(const QWidget* w, QJsonArray& out)
{
    if (!w->isVisible())
        return;
    QJsonObject o {
        { QStringLiteral("name"), w->objectName() },
        { QStringLiteral("class"), QString::fromLatin1(w->metaObject()->className()) },
        { QStringLiteral("path"), pathOf(w) },
        { QStringLiteral("rect"), rectJson(screenRect(w)) },
        { QStringLiteral("enabled"), w->isEnabled() },
        { QStringLiteral("focus"), w->hasFocus() },
    };
    if (w->isWindow() || w->inherits("QMdiSubWindow"))
        o.insert(QStringLiteral("title"), w->windowTitle());
    const QString text = textOf(w);
    if (!text.isEmpty())
        o.insert(QStringLiteral("text"), text);
    if (auto* b = qobject_cast<const QAbstractButton*>(w); b && b->isCheckable())
        o.insert(QStringLiteral("checked"), b->isChecked());
    if (auto* bar = qobject_cast<const QScrollBar*>(w)) {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.subControls = QStyle::SC_All;
        opt.orientation = bar->orientation();
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->sliderPosition();
        opt.sliderValue = bar->value();
        opt.singleStep = bar->singleStep();
        opt.pageStep = bar->pageStep();
        opt.upsideDown = bar->invertedAppearance();
        if (bar->orientation() == Qt::Horizontal)
            opt.state |= QStyle::State_Horizontal;
        const QRect slider = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, bar);
        o.insert(QStringLiteral("orientation"), bar->orientation() == Qt::Horizontal ? "horizontal" : "vertical");
        o.insert(QStringLiteral("value"), bar->value());
        o.insert(QStringLiteral("minimum"), bar->minimum());
        o.insert(QStringLiteral("maximum"), bar->maximum());
        o.insert(QStringLiteral("slider"), rectJson(QRect(bar->mapToGlobal(slider.topLeft()), slider.size())));
    }
    if (auto* view = qobject_cast<const QAbstractItemView*>(w)) {
        const QModelIndex current = view->currentIndex();
        o.insert(QStringLiteral("current"), QJsonArray { current.row(), current.column() });
        if (view->model())
            o.insert(QStringLiteral("rows"), view->model()->rowCount(view->rootIndex()));
    }
    if (auto* bar = qobject_cast<const QProgressBar*>(w))
        o.insert(QStringLiteral("value"), bar->value());
    if (auto* bar = qobject_cast<const QMenuBar*>(w))
        o.insert(QStringLiteral("actions"), actionsOf(bar, bar->actions(), [bar](QAction* a) { return bar->actionGeometry(a); }));
    if (auto* menu = qobject_cast<const QMenu*>(w))
        o.insert(QStringLiteral("actions"), actionsOf(menu, menu->actions(), [menu](QAction* a) { return menu->actionGeometry(a); }));
    out.append(o);
    for (const QObject* child : w->children())
        if (auto* cw = qobject_cast<const QWidget*>(child); cw && !cw->isWindow())
            describeWidget(cw, out);
}

} // namespace

UiProbe::UiProbe(QObject* parent)
    : QObject(parent)
{
}

UiProbe::~UiProbe() = default;

bool UiProbe::listen(const QString& socketPath)
{
    QLocalServer::removeServer(socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &UiProbe::answer);
    return true;
}

void UiProbe::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            if (!socket->canReadLine())
                return;
            socket->readAll();
            socket->write(describe());
            socket->write("\n");
            socket->disconnectFromServer();
        });
    }
}

QByteArray UiProbe::describe()
{
    QJsonArray windows;
    for (const QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        QJsonArray widgets;
        describeWidget(top, widgets);
        windows.append(QJsonObject {
            { QStringLiteral("name"), top->objectName() },
            { QStringLiteral("class"), QString::fromLatin1(top->metaObject()->className()) },
            { QStringLiteral("title"), top->windowTitle() },
            { QStringLiteral("rect"), rectJson(top->frameGeometry()) },
            { QStringLiteral("inner"), rectJson(screenRect(top)) },
            { QStringLiteral("active"), top->isActiveWindow() },
            { QStringLiteral("modal"), top->isModal() },
            { QStringLiteral("maximized"), top->isMaximized() },
            { QStringLiteral("widgets"), widgets },
        });
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QWidget* modal = QApplication::activeModalWidget();
    const QWidget* focus = QApplication::focusWidget();
    const QJsonObject all {
        { QStringLiteral("screen"), rectJson(screen ? screen->geometry() : QRect()) },
        { QStringLiteral("available"), rectJson(screen ? screen->availableGeometry() : QRect()) },
        { QStringLiteral("modal"), modal ? modal->windowTitle() : QString() },
        { QStringLiteral("focus"), focus ? focus->objectName() : QString() },
        { QStringLiteral("windows"), windows },
    };
    return QJsonDocument(all).toJson(QJsonDocument::Compact);
}

} // namespace trellum
