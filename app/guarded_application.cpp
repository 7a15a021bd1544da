#include "guarded_application.h"

#include "services.h"
#include "trap.h"

#include <QEvent>
#include <QWidget>
#include <exception>
#include <utility>

namespace kr7 {

namespace {

QString eventName(QEvent::Type type) {
    switch (type) {
    case QEvent::FocusIn:
        return QStringLiteral("GotFocus");
    case QEvent::FocusOut:
        return QStringLiteral("LostFocus");
    case QEvent::KeyPress:
        return QStringLiteral("KeyPress");
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return QStringLiteral("Click");
    case QEvent::Close:
        return QStringLiteral("Form_QueryUnload");
    case QEvent::Show:
        return QStringLiteral("Form_Load");
    default:
        return QStringLiteral("Event%1").arg(int(type));
    }
}

} // namespace

QString handlerName(const QObject* receiver, const QEvent* event) {
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    const QWidget* window = widget ? widget->window() : nullptr;
    const QString control = receiver ? receiver->objectName() : QString();
    if (!window || window == widget)
        return control + QStringLiteral(" : ") + eventName(event->type());
    return window->objectName() + QStringLiteral(" : ") + control + u'_' + eventName(event->type());
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    std::exception_ptr failure;
    try {
        return QApplication::notify(receiver, event);
    } catch (const ProgramEnded&) {
        return true; // endProgram has already asked every event loop to stop
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    // The name is built only now: this function sees every event of the program.
    bool handled = false;
    const auto handle = [&] {
        if (failure)
            std::rethrow_exception(std::exchange(failure, nullptr));
        handled = QApplication::notify(receiver, event);
    };
    try {
        // Reported without a line: this one would be the guard's own, which says nothing
        // about where the handler failed.
        Trap(handlerName(receiver, event)).run(handle, std::source_location{});
    } catch (const ProgramEnded&) {
        return true;
    }
    return handled;
}

} // namespace kr7
