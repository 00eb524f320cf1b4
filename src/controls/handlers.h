#pragma once
// Every handler of a window (a menu item, a button's click, a list's or a
// field's event, a timer's tick) is connected through these, so that an
// exception it throws ends at the command that threw it, told in one message
// box (plat::runCommand), and never unwinds through the Qt code that
// delivered the signal.
#include "platform/application.h"

#include <QObject>

#include <type_traits>
#include <utility>

namespace ctl {

// A functor run as a command, taking whatever arguments the functor takes.
template <class F> class CommandHandler {
  public:
    explicit CommandHandler(F f) : m_f(std::move(f)) {}
    // Declared only for the arguments the functor accepts, so that a signal
    // hands it as many of its own as it can take.
    template <class... A>
    auto operator()(A&&... args) const
        -> decltype(void(std::declval<const F&>()(std::forward<A>(args)...)))
    {
        plat::runCommand([&] { m_f(std::forward<A>(args)...); });
    }

  private:
    F m_f;
};

template <class F> auto asCommand(F f)
{
    return CommandHandler<std::decay_t<F>>(std::move(f));
}

// A window's member handler run as a command on that window.
template <class W, class R, class C, class... Args>
auto asCommand(W* window, R (C::*handler)(Args...))
{
    return
        [window, handler](Args... args) { plat::runCommand([&] { (window->*handler)(args...); }); };
}

// Connects a control's signal to a window's handler: a functor, or a member
// function of the receiving window.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection onSignal(const Sender* sender, Signal signal, const QObject* receiver,
                                 Handler handler)
{
    return QObject::connect(sender, signal, receiver, asCommand(std::move(handler)));
}
template <class Sender, class Signal, class W, class R, class C, class... Args>
QMetaObject::Connection onSignal(const Sender* sender, Signal signal, W* window,
                                 R (C::*handler)(Args...))
{
    return QObject::connect(sender, signal, window, asCommand(window, handler));
}

} // namespace ctl
