#include "host/gui/QuestionDialog.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

QuestionDialog::QuestionDialog(Kind kind, const QString& title, const QString& display,
                               const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("requestDialog"));
    setWindowTitle(display.isEmpty() ? title : title + QStringLiteral(" \u2014 ") + display);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    auto* icon = new QLabel(this);
    const QStyle::StandardPixmap pixmap =
        kind == YesNo ? QStyle::SP_MessageBoxQuestion : QStyle::SP_MessageBoxInformation;
    icon->setPixmap(style()->standardIcon(pixmap).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    auto* texts = new QVBoxLayout();
    auto* displayLabel = new QLabel(display, this);
    displayLabel->setObjectName(QStringLiteral("displayLabel"));
    QFont bold = displayLabel->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    displayLabel->setFont(bold);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    auto* textLabel = new QLabel(text, this);
    textLabel->setObjectName(QStringLiteral("textLabel"));
    textLabel->setWordWrap(true);
    textLabel->setMinimumWidth(360);
    texts->addWidget(displayLabel);
    texts->addWidget(titleLabel);
    texts->addSpacing(6);
    texts->addWidget(textLabel);
    top->addLayout(texts, 1);
    layout->addLayout(top);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* accept = nullptr;
    QPushButton* decline = nullptr;
    int acceptCode = 1;
    int declineCode = 0;
    if (kind == YesNo) {
        accept = buttons->addButton(tr("Yes"), QDialogButtonBox::YesRole);
        decline = buttons->addButton(tr("No"), QDialogButtonBox::NoRole);
        acceptCode = 3;
        declineCode = 4;
    } else {
        accept = buttons->addButton(tr("Continue"), QDialogButtonBox::AcceptRole);
        decline = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    }
    // Stop stands apart from the answers, at the left.
    auto* stop = new QPushButton(tr("Stop"), this);
    stop->setAutoDefault(false);
    stop->setToolTip(tr("Stop the run: this test ends and no further test starts"));
    accept->setObjectName(QStringLiteral("acceptButton"));
    decline->setObjectName(QStringLiteral("declineButton"));
    stop->setObjectName(QStringLiteral("stopButton"));
    // Enter answers a confirmation; a verdict takes a deliberate choice.
    accept->setDefault(kind == Confirmation);
    accept->setAutoDefault(kind == Confirmation);
    decline->setAutoDefault(false);
    connect(accept, &QPushButton::clicked, this, [this, acceptCode]() { done(acceptCode); });
    connect(decline, &QPushButton::clicked, this, [this, declineCode]() { done(declineCode); });
    connect(stop, &QPushButton::clicked, this, [this]() {
        m_stopChosen = true;
        done(0);
    });
    // Ctrl+Q stops everything, as in a test window and the main window.
    auto* stopShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(stopShortcut, &QShortcut::activated, stop, &QPushButton::click);
    // The verdict starts with the focus on the text, not on an answer that
    // a hurried key (Space) would press.
    if (kind == YesNo) {
        textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
        textLabel->setFocusPolicy(Qt::StrongFocus);
        textLabel->setFocus();
    }
    auto* row = new QHBoxLayout();
    row->addWidget(stop);
    row->addSpacing(24);
    row->addWidget(buttons, 1);
    layout->addLayout(row);
}

void QuestionDialog::placeAwayFrom(const QRect& underTest, const QWidget* near)
{
    adjustSize();
    QScreen* nearScreen = near ? near->screen() : QGuiApplication::primaryScreen();
    QScreen* chosen = nullptr;
    const auto showsDisplay = [&underTest](const QScreen* screen) {
        return !underTest.isNull() && screen->geometry().intersects(underTest);
    };
    if (nearScreen && !showsDisplay(nearScreen))
        chosen = nearScreen;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (!chosen && !showsDisplay(screen))
            chosen = screen;
    }
    if (!chosen)
        chosen = nearScreen ? nearScreen : QGuiApplication::primaryScreen();
    if (!chosen)
        return;
    QRect area = chosen->availableGeometry();
    // Over the main window when it is on that screen, else the screen's middle.
    const QPoint centre = near && area.contains(near->frameGeometry().center())
                              ? near->frameGeometry().center()
                              : area.center();
    QRect frame(QPoint(), size());
    frame.moveCenter(centre);
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height())));
    move(frame.topLeft());
}

int QuestionDialog::ask(const std::atomic<bool>* stop)
{
    setWindowModality(Qt::NonModal);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [this, stop]() {
        if (stop && stop->load() && isVisible())
            done(0);
    });
    poll.start(100);
    show();
    raise();
    activateWindow();
    if (isVisible())
        loop.exec();
    return result();
}
