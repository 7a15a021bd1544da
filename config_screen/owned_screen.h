#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

namespace kr7 {

// The one rule by which the configuration screen opens the program's other screens: each
// exists at most once, as a window owned by the configuration screen (so it stays in front
// of it, modeless), and is deleted when it closes, so that the next opening makes a fresh
// one. Pressing the button again while it is open brings the same one forward.
class OwnedScreen {
  public:
    // Makes the screen as a Qt::Window child of `owner` with Qt::WA_DeleteOnClose, runs its
    // load and shows it. May return nullptr when the load ended without a screen.
    using Factory = std::function<QWidget*(QWidget* owner)>;

    OwnedScreen(QWidget* owner, Factory factory) : owner_(owner), factory_(std::move(factory)) {}

    QWidget* open();
    QWidget* current() const { return instance_; }
    // Closes the screen, when it is open, through its own close handling; false when it
    // refused and stays open.
    bool close();

  private:
    QWidget* owner_;
    Factory factory_;
    QPointer<QWidget> instance_;
};

} // namespace kr7
