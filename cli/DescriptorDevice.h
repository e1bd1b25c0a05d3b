#pragma once

#include <QIODevice>

namespace trellum {

// Standard output (or another descriptor) as the headless runner writes it: unbuffered, every
// write checked, and never onto an open database file. A descriptor of -1 stands for a standard
// output that was closed when the program started: every write to it fails.
class DescriptorDevice : public QIODevice {
public:
    explicit DescriptorDevice(int fd);
    ~DescriptorDevice() override;

    // Closes the descriptor; false (with errorString() set) when the close reports a failure.
    bool closeChecked();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    int m_fd;
};

} // namespace trellum
