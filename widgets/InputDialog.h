#pragma once

#include <QDialog>

class QObject;
class QWidget;

// Base of every test window. It stays on top, is application-modal, is never
// deleted on close, and runs its own event loop so that the result code goes
// back to whoever executes the window.
class InputDialog : public QDialog
{
    Q_OBJECT

public:
    InputDialog(QWidget* parent, QObject* eventFilter);
    ~InputDialog() override;

    int exec() override;
    void accept() override;
    void reject() override;

private:
    void detachFromDestroyedParent();
};
