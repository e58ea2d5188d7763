#pragma once
// The one error type of the seal core and the code around it. Routines that
// cannot finish throw it; the event handler (or the command line) that started
// the action catches it and tells the user. The message is meant for people.
#include <stdexcept>
#include <QString>

namespace plomet {

class PlometError : public std::runtime_error {
public:
    // BadHeader: a file that is not a seal description file at all (its
    // first two lines are not the header); the one failure users know by
    // its fixed message.
    enum class Kind { TypeMismatch, Overflow, File, Format, Platform, BadHeader };
    PlometError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message) {}
    Kind kind() const noexcept { return kind_; }
    const QString& message() const noexcept { return message_; }
private:
    Kind kind_;
    QString message_;
};

} // namespace plomet
