#include "HeadlessRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cstdio>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 4;
    StderrMessenger messenger;
    const int code = trellum::runHeadless(QCoreApplication::arguments(), out, messenger);
    out.flush();
    return code;
}
