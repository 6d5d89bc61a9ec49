#include "widgets/DisplayInteractiveWidget.h"

#include "widgets/DevicePixelSurface.h"
#include "widgets/WindowResult.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegExp>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
const QString InstructionsKey = QStringLiteral("DISPLAY_GENERAL_DISPLAY_INTERACTIVE_INSTRUCTIONS");

const QColor Background(219, 219, 219);

QFont fontOfPixelSize(int pixelSize)
{
    QFont font;
    if (pixelSize > 0) // Qt refuses (and warns about) sizes below 1
        font.setPixelSize(pixelSize);
    return font;
}
} // namespace

DisplayInteractiveWidget::DisplayInteractiveWidget(QWidget* parent, QObject* eventFilter, int x,
                                                   int y, int width, int height, uint32_t mode,
                                                   const uint32_t* systemEventWord,
                                                   uint32_t timeoutSeconds, int digitCount)
    : DisplayWidget(parent, eventFilter, x, y, width, height, mode, systemEventWord, false,
                    timeoutSeconds),
      m_keypadKeycodes{90, 87, 88, 89, 83, 84, 85, 79, 80, 81}, m_digitRowKeycodes{19, 10, 11, 12,
                                                                                   13, 14, 15, 16,
                                                                                   17, 18},
      m_digitCount(std::clamp(digitCount, 1, 9)), m_engine(std::random_device{}())
{
    setCursor(QCursor(Qt::ArrowCursor));

    // Sizes in device pixels, from the display's size in device pixels: the
    // panel shows the same window whatever Qt's scaling. Fonts and style
    // sheets take Qt pixels, converted last.
    const DeviceGeometry& device = deviceGeometry();
    const QSize deviceSize = device.deviceRect().size();
    m_markerDiameter = static_cast<int>(roundf(static_cast<float>(deviceSize.height()) / 70.0f));
    m_markerLeft = deviceSize.width() / 2 - ((2 * m_maxWrong - 1) * m_markerDiameter) / 2;
    m_fontPixelSize = static_cast<int>(static_cast<float>(deviceSize.height()) / 3.3f * 1.5f);

    m_digitLabel = new QLabel(QString(), this);
    m_digitLabel->setFont(fontOfPixelSize(device.toLogicalLength(m_fontPixelSize)));
    m_digitLabel->setAlignment(Qt::AlignHCenter);

    auto* instructions = new QLabel(
        QCoreApplication::translate("DISPLAY", InstructionsKey.toLatin1().constData()), this);
    instructions->setAlignment(Qt::AlignHCenter);
    // Wrapped rather than widening the window beyond a portrait display.
    instructions->setWordWrap(true);
    instructions->setFont(
        fontOfPixelSize(device.toLogicalLength(static_cast<int>(m_fontPixelSize / 15.0f))));

    auto* column = new QVBoxLayout;
    column->setAlignment(Qt::AlignCenter);
    setLayout(column);

    auto* buttons = new QWidget(this);
    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setAlignment(Qt::AlignHCenter);
    buttons->setLayout(m_buttonRow);

    column->addWidget(m_digitLabel);
    column->addWidget(instructions);
    column->addWidget(buttons);

    newTurn();
}

DisplayInteractiveWidget::~DisplayInteractiveWidget() = default;

void DisplayInteractiveWidget::interact_correct()
{
    done(Correct);
}

void DisplayInteractiveWidget::interact_wrong()
{
    ++m_wrongCount;
    if (m_wrongCount >= m_maxWrong)
        done(Wrong);
    newTurn();
}

void DisplayInteractiveWidget::keyPressed(int keycode)
{
    KeyPressed(keycode);
    auto digitOf = [keycode](const std::vector<int>& table) {
        const auto found = std::find(table.begin(), table.end(), keycode);
        return found == table.end() ? -1 : static_cast<int>(found - table.begin());
    };
    int digit = digitOf(m_keypadKeycodes);
    const int rowDigit = digitOf(m_digitRowKeycodes);
    if (rowDigit >= 0)
        digit = rowDigit;
    if (digit >= 0)
        judge(digit);
}

void DisplayInteractiveWidget::keyPressEvent(QKeyEvent* event)
{
    DisplayWidget::keyPressEvent(event);
    // Judged by the text the key produces, so that the main row and the
    // keypad with Num Lock give the same answer.
    QRegExp singleDigit(QStringLiteral("\\d"), Qt::CaseSensitive, QRegExp::RegExp);
    if (!singleDigit.exactMatch(event->text()))
        return;
    if (event->text() == QString::number(m_targetDigit))
        done(Correct);
    else if (isWrongChoice(event->text().toInt()))
        interact_wrong();
}

void DisplayInteractiveWidget::paintEvent(QPaintEvent* event)
{
    if (!m_mirroring && deviceSurface()) {
        // Qt's buffer lies hidden below the surface, which shows the window
        // once Qt has painted every child.
        QPainter(this).fillRect(event->rect(), Background);
        if (!m_mirrorQueued) {
            m_mirrorQueued = true;
            QMetaObject::invokeMethod(
                this, [this]() { mirrorToSurface(); }, Qt::QueuedConnection);
        }
        return;
    }
    QPainter painter(this);
    painter.fillRect(event->rect(), Background);
    DeviceGeometry::paintInDevicePixels(painter); // the markers are placed in device pixels
    for (int i = 0; i < m_maxWrong; ++i) {
        const Qt::GlobalColor color = i < m_wrongCount ? Qt::red : Qt::gray;
        painter.setBrush(QBrush(color, Qt::SolidPattern));
        painter.setPen(color);
        painter.drawEllipse(
            QRect(m_markerLeft + m_markerDiameter * i * 2, 20, m_markerDiameter, m_markerDiameter));
    }
}

void DisplayInteractiveWidget::mirrorToSurface()
{
    m_mirrorQueued = false;
    DevicePixelSurface* surface = deviceSurface();
    const QSize device = surfaceDeviceSize();
    const QSize logical = surfaceLogicalSize();
    if (!surface || logical.isEmpty())
        return;
    QImage& frame = surface->beginFrame(device);
    if (frame.isNull())
        return;
    // Painted at the compositor's scale: the markers in device pixels, the
    // text and buttons at the resolution of the panel.
    const double scale = double(device.width()) / logical.width();
    frame.fill(Background);
    frame.setDevicePixelRatio(scale);
    m_mirroring = true;
    render(&frame);
    m_mirroring = false;
    frame.setDevicePixelRatio(1);
    surface->present(logical);
    noteShown(device, frameScale());
}

// A digit on a wrong button counts as a wrong answer; one on no button is
// ignored.
void DisplayInteractiveWidget::judge(int digit)
{
    if (digit == m_targetDigit)
        done(Correct);
    else if (isWrongChoice(digit))
        interact_wrong();
}

bool DisplayInteractiveWidget::isWrongChoice(int digit) const
{
    return std::find(m_wrongChoices.begin(), m_wrongChoices.end(), digit) != m_wrongChoices.end();
}

void DisplayInteractiveWidget::newTurn()
{
    m_targetDigit = std::uniform_int_distribution<int>(0, 9)(m_engine);

    std::vector<int> digits(10);
    std::iota(digits.begin(), digits.end(), 0);
    std::shuffle(digits.begin(), digits.end(), m_engine);
    digits.erase(std::find(digits.begin(), digits.end(), m_targetDigit));
    std::shuffle(digits.begin(), digits.end(), m_engine);
    m_wrongChoices.assign(digits.begin(), digits.begin() + (m_digitCount - 1));

    std::vector<int> shown{m_targetDigit};
    shown.insert(shown.end(), m_wrongChoices.begin(), m_wrongChoices.end());
    std::shuffle(shown.begin(), shown.end(), m_engine);

    m_digitLabel->setText(QString::number(m_targetDigit));

    // The old buttons go later: the answer that started this turn may be
    // arriving through one of them right now.
    while (m_buttonRow->count() > 0) {
        QLayoutItem* item = m_buttonRow->takeAt(0);
        if (QWidget* button = item->widget()) {
            button->hide();
            button->deleteLater();
        }
        delete item;
    }

    const int buttonFont =
        deviceGeometry().toLogicalLength(static_cast<int>(m_fontPixelSize / 8.6f));
    const QString style =
        QStringLiteral(".QPushButton{font-size: %2px;}").arg(buttonFont, 0, 10, QChar(' '));
    for (int digit : shown) {
        auto* button = new QPushButton(QString::number(digit));
        button->setStyleSheet(style);
        button->setFocusPolicy(Qt::NoFocus);
        m_buttonRow->addWidget(button);
        if (digit == m_targetDigit)
            connect(button, SIGNAL(released()), this, SLOT(interact_correct()));
        else
            connect(button, SIGNAL(released()), this, SLOT(interact_wrong()));
    }
    update();
}
