#include <QSocketNotifier>

#include "vcl/ReadWatch.h"

namespace vcl::toolkit {
namespace {

class QtReadWatch final : public ReadWatch {
public:
    QtReadWatch(int fd, std::function<void()> onReadable) : m_notifier(fd, QSocketNotifier::Read) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [fn = std::move(onReadable)] {
            try {
                fn();
            } catch (...) {
                // The watcher's failure is its own; the event loop goes on.
            }
        });
    }
    void stop() override { m_notifier.setEnabled(false); }

private:
    QSocketNotifier m_notifier;
};

}  // namespace

std::unique_ptr<ReadWatch> watchReadable(int fd, std::function<void()> onReadable) {
    return std::make_unique<QtReadWatch>(fd, std::move(onReadable));
}

}  // namespace vcl::toolkit
