#include "DescriptorDevice.h"
#include "HeadlessRunner.h"
#include "PartFileRegistry.h"
#include "QtMessageRoute.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Messages of the headless runner: one line each on standard error.
class StderrMessenger : public trellum::Messenger {
public:
    trellum::MessageAnswer show(const trellum::Message& message) override
    {
        const QByteArray line = message.text.toUtf8() + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
        std::fflush(stderr);
        return message.buttons == trellum::MessageButtons::YesNo ? trellum::MessageAnswer::No : trellum::MessageAnswer::Ok;
    }
};

// Whether a standard descriptor was handed over closed. Its number is then taken by /dev/null,
// so that no file the program opens later (the database above all) becomes standard output.
bool closedAtStart(int fd)
{
    if (::fcntl(fd, F_GETFD) != -1)
        return false;
    const int filler = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (filler >= 0 && filler != fd)
        ::close(filler); // a lower descriptor was free after all; the next open takes it
    return true;
}

// Whether the arguments ask for a PDF, whose pages need the fonts of a (windowless) GUI application.
bool wantsPdf(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--pdf") || !std::strcmp(argv[i], "-pdf") || !std::strncmp(argv[i], "--pdf=", 6))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    bool stdoutClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        const bool closed = closedAtStart(fd);
        if (fd == 1)
            stdoutClosed = closed;
    }
    trellum::PartFileRegistry::installSignalCleanup();
    trellum::QtMessageRoute::install(trellum::QtMessageRoute::verboseAsked(argc, argv));
    std::unique_ptr<QCoreApplication> app;
    if (wantsPdf(argc, argv)) {
        // never a window or a display: the offscreen platform has the fonts and nothing else
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QLocale::setDefault(QLocale::c());
    trellum::DescriptorDevice out(stdoutClosed ? -1 : STDOUT_FILENO);
    StderrMessenger messenger;
    int code = trellum::runHeadless(QCoreApplication::arguments(), out, messenger);
    if (!out.closeChecked() && code == trellum::kExitOk) {
        trellum::inform(messenger, trellum::kReportMessageTitle, QStringLiteral("无法写入标准输出: ") + out.errorString());
        code = trellum::kExitExport;
    }
    return code;
}
