#pragma once
// Every user action runs inside guarded(): whatever fails shows a clear
// message and the program keeps running with the seal intact.
#include "seal/Errors.h"
#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <exception>
#include <new>

namespace plomet {

// The application's title, the caption of every message box.
inline QString appTitle()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("PlometSample") : name;
}

// Shows message in a message box with an OK button only and no icon.
inline void showMessage(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), message, QMessageBox::Ok, parent);
    box.exec();
}

// Runs action; an error becomes a message box saying what failed and why.
// Returns false when the action failed.
template <class F>
bool guarded(QWidget* parent, const QString& what, F&& action)
{
    QString why;
    try {
        action();
        return true;
    } catch (const PlometError& e) {
        why = e.message();
    } catch (const std::bad_alloc&) {
        why = QCoreApplication::translate("plomet::Guard", "Out of memory.");
    } catch (const std::exception& e) {
        why = QString::fromLocal8Bit(e.what());
    } catch (...) {
        why = QCoreApplication::translate("plomet::Guard", "Unknown error.");
    }
    showMessage(parent, what.isEmpty() ? why : what + QStringLiteral("\n") + why);
    return false;
}

} // namespace plomet
