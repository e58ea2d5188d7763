#pragma once
// Drives modal dialogs from inside a test: a step runs on the event loop of
// the dialog's exec() as soon as a new modal widget shows. A watchdog rejects
// whatever is still open after a few seconds, so a broken step fails the test
// instead of hanging it. clearDrivers() drops every pending step and watchdog,
// so nothing of one test acts on the next one's dialogs.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace plomet::test {

inline std::vector<QPointer<QTimer>>& pendingDrivers()
{
    static std::vector<QPointer<QTimer>> timers;
    return timers;
}

inline void clearDrivers()
{
    for (QPointer<QTimer>& t : pendingDrivers())
        delete t.data();
    pendingDrivers().clear();
}

inline void whenModal(std::function<void(QWidget*)> step, QWidget* notThis = nullptr)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    pendingDrivers().emplace_back(timer);
    QPointer<QWidget> skip(notThis);
    QObject::connect(timer, &QTimer::timeout, [timer, step, skip, notThis] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || (notThis && modal == skip.data()))
            return;
        timer->stop();
        timer->deleteLater();
        step(modal);
    });
    timer->start();
}

// Rejects every open modal dialog after ms milliseconds; the flag tells
// whether it had to.
inline std::shared_ptr<bool> watchdog(int ms = 5000)
{
    auto fired = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    pendingDrivers().emplace_back(timer);
    QObject::connect(timer, &QTimer::timeout, [fired, timer] {
        timer->deleteLater();
        while (QWidget* modal = QApplication::activeModalWidget()) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (!dialog)
                break;
            *fired = true;
            dialog->reject();
            QApplication::processEvents();
        }
    });
    timer->start(ms);
    return fired;
}

} // namespace plomet::test
