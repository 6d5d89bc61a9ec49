#include "widgets/InputDialog.h"

#include <QDebug>
#include <QEventLoop>

InputDialog::InputDialog(QWidget* parent, QObject* eventFilter) : QDialog(parent, Qt::WindowFlags())
{
    installEventFilter(eventFilter);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(Qt::WindowStaysOnTopHint);
    setWindowModality(Qt::ApplicationModal);

    // The window lives on the stack of whoever executes it. A parent that is
    // destroyed while the window is up would delete it a second time, so the
    // window leaves the parent first (the parent emits destroyed() before it
    // deletes its children) and ends with the result it holds.
    if (parent)
        connect(parent, &QObject::destroyed, this, &InputDialog::detachFromDestroyedParent);
}

InputDialog::~InputDialog() = default;

int InputDialog::exec()
{
    QEventLoop loop;
    connect(this, SIGNAL(finished(int)), &loop, SLOT(quit()));
    qDebug().nospace().noquote() << "Before show: " << result();
    show();
    qDebug().nospace().noquote() << "Before loop: " << result();
    loop.exec(QEventLoop::AllEvents);
    qDebug().nospace().noquote() << "After the event loop: " << result();
    return result();
}

// Both keep the current result: only an explicit done() with another code
// changes what the window reports.
void InputDialog::accept()
{
    done(result());
}

void InputDialog::reject()
{
    done(result());
}

void InputDialog::detachFromDestroyedParent()
{
    setParent(nullptr, windowFlags());
    done(result());
}
