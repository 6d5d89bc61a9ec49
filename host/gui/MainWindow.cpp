#include "host/gui/MainWindow.h"

#include "host/gui/DeskView.h"
#include "host/gui/IdentifyWindow.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/PlatformSummary.h"
#include "host/runtime/SystemEventMonitor.h"
#include "host/runtime/TestRunner.h"
#include "host/runtime/WindowExecutor.h"
#include "module/Test.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace {
enum DisplayColumn { DisplayName, Connector, Resolution, Position, Refresh };
enum ResultColumn { ResultDisplay, ResultTest, ResultProgress, ResultName, ResultTime };

const int NotRunResult = 6;
const int FailedResult = 1;
const int AbortedResult = 4;

QString refreshText(double hz)
{
    return hz > 0 ? QStringLiteral("%1 Hz").arg(hz, 0, 'f', 2) : QString();
}

QString sizeText(const QSize& size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}
} // namespace

MainWindow::MainWindow(ModuleCatalogue* catalogue, const KeyTranslator* translator,
                       SettingsMap settings, QWidget* parent)
    : QMainWindow(parent), m_catalogue(catalogue), m_translator(translator),
      m_settings(std::move(settings))
{
    m_report.setHostName(QSysInfo::machineHostName());
    m_events = std::make_unique<SystemEventMonitor>();
    m_handler = std::make_unique<DialogRequestHandler>(
        this, translator, [this](const std::string& device) { return displayFor(device); },
        [this]() { stopRun(); });
    m_runner = std::make_unique<TestRunner>(m_handler.get(), m_events.get());
    connect(m_runner.get(), &TestRunner::jobStarted, this, &MainWindow::onJobStarted);
    connect(m_runner.get(), &TestRunner::jobProgress, this, &MainWindow::onJobProgress);
    connect(m_runner.get(), &TestRunner::jobMessage, this, &MainWindow::onJobMessage);
    connect(m_runner.get(), &TestRunner::jobFinished, this, &MainWindow::onJobFinished);
    connect(m_runner.get(), &TestRunner::finished, this, &MainWindow::onRunFinished);
    // Said before anyone judges the window: in the log and on standard error.
    WindowExecutor::setWarningSink([this](const QString& why) {
        const QString text = (m_runningJob >= 0 && m_runningJob < int(m_jobs.size()) &&
                                      m_jobs[size_t(m_runningJob)].display >= 0
                                  ? m_displays[size_t(m_jobs[size_t(m_runningJob)].display)].id +
                                        QStringLiteral(": ")
                                  : QString()) +
                             why;
        log(tr("Warning: %1").arg(text));
        std::fprintf(stderr, "OrvaneDiagnostics: warning: %s\n", qPrintable(text));
    });

    if (!catalogue->diagnostics().empty())
        m_tests = catalogue->diagnostics().front().tests;
    buildUi();
    refreshDevices();
    restoreLayout();
}

MainWindow::~MainWindow()
{
    saveLayout();
    WindowExecutor::setWarningSink({});
    if (m_runner->isRunning()) {
        m_runner->requestStop();
        m_runner->waitForFinished();
    }
}

void MainWindow::buildUi()
{
    setWindowTitle(tr("Orvane Diagnostics - Displays"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    m_topSplitter = new QSplitter(Qt::Horizontal, central);
    m_topSplitter->setObjectName(QStringLiteral("topSplitter"));
    m_topSplitter->addWidget(buildDeskBox());
    auto* detailsBox = new QGroupBox(tr("Details"), m_topSplitter);
    auto* detailsLayout = new QVBoxLayout(detailsBox);
    m_details = new QTreeWidget(detailsBox);
    m_details->setObjectName(QStringLiteral("details"));
    m_details->setHeaderLabels({tr("Property"), tr("Value")});
    m_details->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_details->header()->setStretchLastSection(true);
    // Wide enough for "Native resolution" beside "1920x1080" and a serial number.
    detailsBox->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 44);
    detailsLayout->addWidget(m_details);
    m_copyEdidButton = new QPushButton(tr("Copy EDID as hex"), detailsBox);
    m_copyEdidButton->setObjectName(QStringLiteral("copyEdidButton"));
    connect(m_copyEdidButton, &QPushButton::clicked, this, &MainWindow::copyEdid);
    detailsLayout->addWidget(m_copyEdidButton, 0, Qt::AlignRight);
    m_topSplitter->addWidget(detailsBox);
    m_topSplitter->addWidget(buildTestsBox());
    m_topSplitter->setSizes({500, 400, 340});
    for (int i = 0; i < 3; ++i)
        m_topSplitter->setCollapsible(i, false);

    m_mainSplitter = new QSplitter(Qt::Vertical, central);
    m_mainSplitter->setObjectName(QStringLiteral("mainSplitter"));
    m_mainSplitter->addWidget(m_topSplitter);
    m_mainSplitter->addWidget(buildProgressBox());
    m_log = new QPlainTextEdit(m_mainSplitter);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    m_log->setMinimumHeight(m_log->fontMetrics().lineSpacing() * 3 + 12);
    m_mainSplitter->addWidget(m_log);
    for (int i = 0; i < 3; ++i)
        m_mainSplitter->setCollapsible(i, false);
    m_mainSplitter->setStretchFactor(0, 3);
    m_mainSplitter->setStretchFactor(1, 5);
    m_mainSplitter->setStretchFactor(2, 1);
    m_mainSplitter->setSizes({330, 360, 110});
    layout->addWidget(m_mainSplitter, 1);

    // Who tested, for which ticket: kept in every report.
    auto* fields = new QHBoxLayout();
    m_technician = new QLineEdit(central);
    m_technician->setObjectName(QStringLiteral("technician"));
    m_ticket = new QLineEdit(central);
    m_ticket->setObjectName(QStringLiteral("ticket"));
    m_notes = new QLineEdit(central);
    m_notes->setObjectName(QStringLiteral("notes"));
    m_notes->setPlaceholderText(tr("What was seen, what was replaced..."));
    connect(m_technician, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_report.setTechnician(text.trimmed()); });
    connect(m_ticket, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_report.setTicket(text.trimmed()); });
    connect(m_notes, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_report.setNotes(text.trimmed()); });
    for (auto [label, edit, stretch] : {std::make_tuple(tr("&Technician:"), m_technician, 2),
                                        std::make_tuple(tr("Tic&ket:"), m_ticket, 1),
                                        std::make_tuple(tr("N&otes:"), m_notes, 4)}) {
        auto* name = new QLabel(label, central);
        name->setBuddy(edit);
        fields->addWidget(name);
        fields->addWidget(edit, stretch);
    }
    layout->addLayout(fields);

    auto* fileRow = new QHBoxLayout();
    m_clearReportButton = new QPushButton(tr("Clear results"), central);
    m_clearReportButton->setObjectName(QStringLiteral("clearReportButton"));
    m_saveLogButton = new QPushButton(tr("Save log..."), central);
    m_saveReportButton = new QPushButton(tr("Save report..."), central);
    m_saveReportButton->setObjectName(QStringLiteral("saveReportButton"));
    m_saveReportButton->setToolTip(tr("The session's results as JSON, HTML or PDF"));
    connect(m_clearReportButton, &QPushButton::clicked, this, &MainWindow::askToClearReport);
    connect(m_saveLogButton, &QPushButton::clicked, this, &MainWindow::chooseLogFile);
    connect(m_saveReportButton, &QPushButton::clicked, this, &MainWindow::chooseReportFile);
    fileRow->addWidget(m_clearReportButton);
    fileRow->addStretch();
    fileRow->addWidget(m_saveLogButton);
    fileRow->addWidget(m_saveReportButton);
    layout->addLayout(fileRow);

    // Ctrl+Q stops everything, here as in a question and a test window.
    auto* stopAction = new QAction(tr("Stop the run"), this);
    stopAction->setObjectName(QStringLiteral("stopAction"));
    stopAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    stopAction->setShortcutContext(Qt::WindowShortcut);
    connect(stopAction, &QAction::triggered, this, &MainWindow::stopRun);
    addAction(stopAction);

    setCentralWidget(central);
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status);
    setMinimumSize(960, 720);
    resize(1280, 900);
    updateButtons();
}

QWidget* MainWindow::buildDeskBox()
{
    auto* box = new QGroupBox(tr("Displays"));
    auto* layout = new QVBoxLayout(box);
    m_desk = new DeskView(box);
    m_desk->setObjectName(QStringLiteral("desk"));
    layout->addWidget(m_desk, 3);
    m_displayList = new QTreeWidget(box);
    m_displayList->setObjectName(QStringLiteral("displayList"));
    m_displayList->setRootIsDecorated(false);
    m_displayList->setHeaderLabels(
        {tr("Display"), tr("Connector"), tr("Resolution"), tr("Position"), tr("Refresh")});
    m_displayList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_displayList, 2);
    connect(m_displayList, &QTreeWidget::itemChanged, this, [this]() { syncDesk(); });
    connect(m_displayList, &QTreeWidget::currentItemChanged, this, [this]() {
        const int index = m_displayList->indexOfTopLevelItem(m_displayList->currentItem());
        m_desk->setSelected(index);
        showDetails(index);
    });
    // A click on the picture selects a display for the details; its check
    // box (or a double click) chooses it for the run.
    connect(m_desk, &DeskView::displaySelected, this, [this](int index) {
        if (QTreeWidgetItem* item = m_displayList->topLevelItem(index))
            m_displayList->setCurrentItem(item);
    });
    connect(m_desk, &DeskView::choiceRequested, this,
            [this](const QVector<int>& indices, bool chosen) {
                if (m_runner->isRunning())
                    return;
                for (int index : indices) {
                    if (QTreeWidgetItem* item = m_displayList->topLevelItem(index))
                        item->setCheckState(DisplayName, chosen ? Qt::Checked : Qt::Unchecked);
                }
            });

    auto* row = new QHBoxLayout();
    m_refreshButton = new QPushButton(tr("Refresh"), box);
    m_refreshButton->setObjectName(QStringLiteral("refreshButton"));
    m_identifyButton = new QPushButton(tr("Identify"), box);
    m_identifyButton->setObjectName(QStringLiteral("identifyButton"));
    m_identifyButton->setToolTip(tr("Show each display's number on that display"));
    connect(m_refreshButton, &QPushButton::clicked, this, &MainWindow::refreshDevices);
    connect(m_identifyButton, &QPushButton::clicked, this, &MainWindow::identify);
    // On a wall of sixteen, choosing one display starts from none.
    m_allButton = new QPushButton(tr("All"), box);
    m_allButton->setObjectName(QStringLiteral("allDisplaysButton"));
    m_noneButton = new QPushButton(tr("None"), box);
    m_noneButton->setObjectName(QStringLiteral("noneDisplaysButton"));
    m_allButton->setToolTip(tr("Choose every display"));
    m_noneButton->setToolTip(tr("Choose no display"));
    connect(m_allButton, &QPushButton::clicked, this, [this]() { selectDisplays({}); });
    connect(m_noneButton, &QPushButton::clicked, this, [this]() { selectDisplays({QString()}); });
    row->addWidget(m_refreshButton);
    row->addWidget(m_identifyButton);
    row->addStretch();
    row->addWidget(m_allButton);
    row->addWidget(m_noneButton);
    layout->addLayout(row);
    return box;
}

QWidget* MainWindow::buildTestsBox()
{
    const QString diagnosticName =
        m_catalogue->diagnostics().empty()
            ? tr("Tests")
            : m_translator->text(m_catalogue->diagnostics().front().nameKey);
    auto* box = new QGroupBox(diagnosticName);
    auto* layout = new QVBoxLayout(box);
    m_testList = new QListWidget(box);
    m_testList->setObjectName(QStringLiteral("testList"));
    // A test that does not apply says why on a second line, not off to the right.
    m_testList->setWordWrap(true);
    m_testList->setMinimumHeight(m_testList->fontMetrics().lineSpacing() * 7);
    m_testList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const TestEntry& test : m_tests) {
        auto* item = new QListWidgetItem(m_translator->text(test.nameKey), m_testList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(m_translator->text(test.descriptionKey));
        item->setData(Qt::UserRole, QString::fromStdString(test.shortName));
    }
    layout->addWidget(m_testList);
    connect(m_testList, &QListWidget::itemChanged, this, [this]() { updateButtons(); });
    m_applicability = new QLabel(box);
    m_applicability->setObjectName(QStringLiteral("applicability"));
    m_applicability->setWordWrap(true);
    layout->addWidget(m_applicability);
    auto* choose = new QHBoxLayout();
    m_allTestsButton = new QPushButton(tr("All"), box);
    m_allTestsButton->setObjectName(QStringLiteral("allTestsButton"));
    m_allTestsButton->setToolTip(tr("Choose every test"));
    m_noneTestsButton = new QPushButton(tr("None"), box);
    m_noneTestsButton->setObjectName(QStringLiteral("noneTestsButton"));
    m_noneTestsButton->setToolTip(tr("Choose no test"));
    connect(m_allTestsButton, &QPushButton::clicked, this, [this]() { selectTests({}); });
    connect(m_noneTestsButton, &QPushButton::clicked, this,
            [this]() { selectTests({QStringLiteral("-")}); });
    choose->addStretch();
    choose->addWidget(m_allTestsButton);
    choose->addWidget(m_noneTestsButton);
    layout->addLayout(choose);
    auto* description = new QLabel(box);
    description->setWordWrap(true);
    description->setMinimumHeight(description->fontMetrics().lineSpacing() * 3);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(m_testList, &QListWidget::currentRowChanged, description, [this, description](int row) {
        if (row >= 0 && row < static_cast<int>(m_tests.size()))
            description->setText(m_translator->text(m_tests[row].descriptionKey));
    });
    layout->addWidget(description);
    m_testList->setCurrentRow(0);
    auto* row = new QHBoxLayout();
    m_runButton = new QPushButton(tr("Run"), box);
    m_runButton->setObjectName(QStringLiteral("runButton"));
    m_runButton->setDefault(true);
    m_stopButton = new QPushButton(tr("Stop"), box);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_stopButton->setToolTip(tr("Stop the run (Ctrl+Q, also in a question or test window)"));
    m_runAgainButton = new QPushButton(tr("Run again"), box);
    m_runAgainButton->setObjectName(QStringLiteral("runAgainButton"));
    m_runAgainButton->setToolTip(
        tr("Run the tests that failed, were aborted or did not run on the chosen displays"));
    connect(m_runButton, &QPushButton::clicked, this, &MainWindow::startRun);
    connect(m_runAgainButton, &QPushButton::clicked, this, &MainWindow::runAgain);
    connect(m_stopButton, &QPushButton::clicked, this, &MainWindow::stopRun);
    row->addWidget(m_runButton);
    row->addWidget(m_runAgainButton);
    row->addWidget(m_stopButton);
    layout->addLayout(row);
    return box;
}

QWidget* MainWindow::buildProgressBox()
{
    auto* box = new QGroupBox(tr("Results"));
    auto* layout = new QVBoxLayout(box);
    m_runningLabel = new QLabel(tr("No test is running."), box);
    m_runningLabel->setObjectName(QStringLiteral("runningLabel"));
    QFont bold = m_runningLabel->font();
    bold.setBold(true);
    m_runningLabel->setFont(bold);
    m_progressText = new QLabel(box);
    m_progressText->setObjectName(QStringLiteral("progressText"));
    m_progressText->setWordWrap(true);
    m_overall = new QProgressBar(box);
    m_overall->setObjectName(QStringLiteral("overallProgress"));
    m_overall->setRange(0, 1);
    m_overall->setValue(0);
    m_overall->setFormat(tr("%p% of the run"));
    m_verdicts = new QLabel(box);
    m_verdicts->setObjectName(QStringLiteral("verdicts"));
    m_verdicts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_verdicts->setWordWrap(true);
    layout->addWidget(m_runningLabel);
    layout->addWidget(m_progressText);
    layout->addWidget(m_overall);
    layout->addWidget(m_verdicts);
    m_results = new QTreeWidget(box);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setHeaderLabels(
        {tr("Display"), tr("Test"), tr("Progress"), tr("Result"), tr("Started - ended")});
    m_results->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // At the smallest size still a few rows of results.
    m_results->setMinimumHeight(m_results->fontMetrics().lineSpacing() * 6);
    layout->addWidget(m_results, 1);
    return box;
}

void MainWindow::log(const QString& line)
{
    m_log->appendPlainText(
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss  ")) + line);
}

QString MainWindow::logText() const
{
    return m_log->toPlainText();
}

void MainWindow::refreshDevices()
{
    if (m_runner->isRunning())
        return;
    // The choice (and the selection) of displays still there survives.
    QString selectedKey;
    for (int row = 0; row < m_displayList->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_displayList->topLevelItem(row);
        m_choice[m_displays[row].identityKey()] = item->checkState(DisplayName) == Qt::Checked;
        if (item == m_displayList->currentItem())
            selectedKey = m_displays[row].identityKey();
    }
    m_devices = m_catalogue->refresh();
    m_displays.clear();
    for (const DeviceRecord& device : m_devices)
        m_displays.push_back(DisplayEntry::fromDevice(device, *m_translator));

    int selected = m_displays.empty() ? -1 : 0;
    {
        const QSignalBlocker blocker(m_displayList);
        m_displayList->clear();
        for (const DisplayEntry& display : m_displays) {
            auto* item = new QTreeWidgetItem(
                m_displayList,
                {display.label().section(QStringLiteral(" \u00b7 "), 0, 1), display.connector,
                 display.geometry.isNull() ? display.resolution : sizeText(display.geometry.size()),
                 display.positionText(), refreshText(display.refreshHz)});
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(DisplayName, m_choice.value(display.identityKey(), true)
                                                 ? Qt::Checked
                                                 : Qt::Unchecked);
            item->setToolTip(DisplayName, display.label());
            if (display.identityKey() == selectedKey)
                selected = m_displayList->topLevelItemCount() - 1;
        }
    }
    m_desk->setDisplays(m_displays);
    syncDesk();
    if (selected >= 0)
        m_displayList->setCurrentItem(m_displayList->topLevelItem(selected));
    m_desk->setSelected(selected);
    showDetails(selected);
    m_status->setText(m_displays.empty() ? tr("No displays found")
                                         : tr("%n display(s) found", nullptr,
                                              static_cast<int>(m_displays.size())));
    log(tr("Displays refreshed: %1 found.").arg(m_displays.size()));
    updateButtons();
}

void MainWindow::showDetails(int index)
{
    m_details->clear();
    const bool known = index >= 0 && index < static_cast<int>(m_displays.size());
    m_copyEdidButton->setEnabled(known && !m_displays[index].edid.isEmpty());
    if (!known)
        return;
    const DisplayEntry& display = m_displays[index];
    auto* module = new QTreeWidgetItem(m_details, {tr("Module"), display.id});
    for (const Property& property : m_devices[index].properties)
        new QTreeWidgetItem(module,
                            {m_translator->text(property.key), m_translator->text(property.value)});
    module->setExpanded(true);

    auto* platform = new QTreeWidgetItem(m_details, {tr("Platform"), display.connector});
    const auto add = [platform](const QString& name, const QString& value) {
        if (!value.isEmpty())
            new QTreeWidgetItem(platform, {name, value});
    };
    add(tr("Connector"), display.connector);
    add(tr("Position"), display.positionText());
    if (!display.geometry.isNull())
        add(tr("Size"),
            QStringLiteral("%1x%2").arg(display.geometry.width()).arg(display.geometry.height()));
    add(tr("Primary"), display.primary ? tr("yes") : QString());
    add(tr("Refresh rate"), refreshText(display.refreshHz));
    add(tr("Serial number"), display.serialNumber);
    add(tr("Product code"), display.productCode);
    add(tr("Manufactured"), display.manufactured);
    if (!display.edid.isEmpty())
        add(tr("EDID"), tr("%n byte(s)", nullptr, display.edid.size()));
    if (!display.modes.isEmpty()) {
        auto* modes =
            new QTreeWidgetItem(platform, {tr("Modes"), QString::number(display.modes.size())});
        for (const DisplayEntry::Mode& mode : display.modes) {
            QStringList notes;
            if (mode.current)
                notes << tr("current");
            if (mode.preferred)
                notes << tr("preferred");
            new QTreeWidgetItem(
                modes, {QStringLiteral("%1x%2").arg(mode.width).arg(mode.height),
                        refreshText(mode.refreshHz) +
                            (notes.isEmpty() ? QString()
                                             : QStringLiteral(" (%1)").arg(notes.join(", ")))});
        }
    }
    platform->setExpanded(true);
    if (platform->childCount() == 0)
        platform->setText(1, tr("not known for this backend"));
}

void MainWindow::copyEdid()
{
    const int index = m_displayList->indexOfTopLevelItem(m_displayList->currentItem());
    if (index < 0 || index >= static_cast<int>(m_displays.size()) ||
        m_displays[index].edid.isEmpty())
        return;
    // Sixteen bytes a line, as xrandr --verbose and desk files write EDIDs.
    const QByteArray hex = m_displays[index].edid.toHex();
    QStringList lines;
    for (int i = 0; i < hex.size(); i += 32)
        lines << QString::fromLatin1(hex.mid(i, 32));
    QGuiApplication::clipboard()->setText(lines.join('\n') + '\n');
    log(tr("EDID of %1 copied as hex (%2 bytes).")
            .arg(m_displays[index].label())
            .arg(m_displays[index].edid.size()));
}

void MainWindow::syncDesk()
{
    std::vector<bool> chosen(m_displays.size(), false);
    for (int index : checkedDisplays())
        chosen[index] = true;
    m_desk->setChosen(chosen);
    updateApplicability();
    updateButtons();
}

QString MainWindow::notApplicableReason(const TestEntry& test, int index) const
{
    if (!test.test || index < 0 || index >= static_cast<int>(m_devices.size()))
        return {};
    const DisplayEntry& display = m_displays[index];
    if (test.test->supportsComponent(m_devices[index].component)) {
        // Resolution fitting takes any display, but without the EDID's
        // native resolution it can only report an internal error.
        if (test.longName == "resolution_fitting" && display.nativeResolution.isEmpty())
            return tr("no readable EDID");
        return {};
    }
    // The module answers only yes or no; the host says why from what it knows.
    if (display.nativeResolution.isEmpty())
        return tr("no readable EDID");
    if (display.inputType == QLatin1String("ANALOG"))
        return tr("analog input");
    const QString turned = display.nativeResolution.section('x', 1) + QLatin1Char('x') +
                           display.nativeResolution.section('x', 0, 0);
    if (!display.resolution.isEmpty() && display.resolution != display.nativeResolution &&
        display.resolution != turned)
        return tr("runs at %1, not at its native %2")
            .arg(display.resolution, display.nativeResolution);
    return tr("not supported by the module");
}

void MainWindow::updateApplicability()
{
    // Before Run: which tests will end "not performed" on which chosen
    // display, and why. The tests still run as chosen.
    const std::vector<int> chosen = checkedDisplays();
    int limited = 0;
    const QSignalBlocker blocker(m_testList);
    for (int row = 0; row < m_testList->count() && row < static_cast<int>(m_tests.size()); ++row) {
        QStringList notFor;
        for (int index : chosen) {
            const QString reason = notApplicableReason(m_tests[row], index);
            if (!reason.isEmpty())
                notFor << tr("%1: %2").arg(m_displays[index].id, reason);
        }
        QListWidgetItem* item = m_testList->item(row);
        const QString name = m_translator->text(m_tests[row].nameKey);
        item->setText(notFor.isEmpty() ? name
                                       : tr("%1\n    not for %2").arg(name, notFor.join(", ")));
        item->setForeground(notFor.isEmpty() ? palette().color(QPalette::Text)
                                             : palette().color(QPalette::Disabled, QPalette::Text));
        item->setToolTip(notFor.isEmpty()
                             ? m_translator->text(m_tests[row].descriptionKey)
                             : tr("Does not apply to %1; it ends \"not performed\" there.")
                                   .arg(notFor.join(QStringLiteral("; "))));
        limited += !notFor.isEmpty();
    }
    m_applicability->setText(
        chosen.empty() ? tr("Choose displays to see which tests apply.")
        : limited == 0
            ? tr("Every test applies to the chosen displays.")
            : tr("%n test(s) do not apply to every chosen display (greyed).", nullptr, limited));
}

void MainWindow::identify()
{
    if (m_runner->isRunning())
        return;
    int shown = 0;
    std::vector<bool> done(m_displays.size(), false);
    for (int i = 0; i < static_cast<int>(m_displays.size()); ++i) {
        if (done[i] || m_displays[i].geometry.isNull())
            continue;
        // Clones show one box naming all of them.
        QVector<DisplayEntry> group;
        for (int member : m_desk->groupOf(i)) {
            group << m_displays[member];
            done[member] = true;
        }
        auto* window = new IdentifyWindow(group, m_displays[i].geometry, this);
        window->show();
        ++shown;
    }
    if (shown == 0)
        log(tr("Identify: the backend does not tell where the displays are."));
}

void MainWindow::selectTests(const QStringList& shortNames)
{
    for (int row = 0; row < m_testList->count(); ++row) {
        QListWidgetItem* item = m_testList->item(row);
        const bool checked =
            shortNames.isEmpty() || shortNames.contains(item->data(Qt::UserRole).toString());
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void MainWindow::selectDisplays(const QStringList& ids)
{
    for (size_t i = 0; i < m_displays.size(); ++i) {
        const bool checked = ids.isEmpty() || ids.contains(m_displays[i].id);
        m_displayList->topLevelItem(static_cast<int>(i))
            ->setCheckState(DisplayName, checked ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList MainWindow::selectedDisplays() const
{
    QStringList ids;
    for (int index : checkedDisplays())
        ids << m_displays[index].id;
    return ids;
}

std::vector<TestEntry> MainWindow::checkedTests() const
{
    std::vector<TestEntry> tests;
    for (int row = 0; row < m_testList->count(); ++row) {
        if (m_testList->item(row)->checkState() == Qt::Checked)
            tests.push_back(m_tests[row]);
    }
    return tests;
}

std::vector<int> MainWindow::checkedDisplays() const
{
    std::vector<int> indices;
    for (int row = 0; row < m_displayList->topLevelItemCount(); ++row) {
        if (m_displayList->topLevelItem(row)->checkState(DisplayName) == Qt::Checked)
            indices.push_back(row);
    }
    return indices;
}

DialogRequestHandler::Display MainWindow::displayFor(const std::string& device) const
{
    for (const DisplayEntry& display : m_displays) {
        if (display.id.toStdString() == device)
            return {display.label(), display.geometry};
    }
    return {QString::fromStdString(device), QRect()};
}

bool MainWindow::startRun()
{
    if (m_runner->isRunning())
        return false;
    const std::vector<TestEntry> tests = checkedTests();
    const std::vector<int> displays = checkedDisplays();
    if (tests.empty() || displays.empty()) {
        log(m_displays.empty() ? tr("No displays to test.")
            : displays.empty() ? tr("Choose at least one display.")
                               : tr("Choose at least one test."));
        return false;
    }
    std::vector<std::pair<int, TestEntry>> jobs;
    for (int index : displays) {
        for (const TestEntry& test : tests)
            jobs.emplace_back(index, test);
    }
    return runJobs(jobs);
}

std::vector<std::pair<int, TestEntry>> MainWindow::jobsToRunAgain() const
{
    std::vector<std::pair<int, TestEntry>> jobs;
    const std::vector<int> displays = checkedDisplays();
    // The latest result of each test on each chosen display.
    for (int index : displays) {
        for (const TestEntry& test : m_tests) {
            const SessionReport::Entry* latest = nullptr;
            for (const SessionReport::Entry& entry : m_report.entries()) {
                if (entry.record.device == m_devices[index].id &&
                    entry.record.test == test.longName)
                    latest = &entry;
            }
            if (latest &&
                (latest->record.result == FailedResult || latest->record.result == AbortedResult ||
                 latest->record.result == NotRunResult))
                jobs.emplace_back(index, test);
        }
    }
    return jobs;
}

bool MainWindow::runAgain()
{
    if (m_runner->isRunning())
        return false;
    const std::vector<std::pair<int, TestEntry>> jobs = jobsToRunAgain();
    if (jobs.empty()) {
        log(tr("Nothing to run again: no test failed, was aborted or left out on the chosen "
               "displays."));
        return false;
    }
    return runJobs(jobs);
}

bool MainWindow::runJobs(const std::vector<std::pair<int, TestEntry>>& chosen)
{
    std::vector<TestEntry> tests;
    for (const auto& job : chosen)
        tests.push_back(job.second);
    std::string error;
    if (!ModuleCatalogue::configure(tests, m_settings, &error)) {
        log(tr("Settings error: %1").arg(QString::fromStdString(error)));
        QMessageBox::critical(this, tr("Settings error"), QString::fromStdString(error));
        return false;
    }
    m_jobs.clear();
    std::vector<TestRunner::Job> jobs;
    for (const auto& [index, test] : chosen) {
        const DeviceRecord& device = m_devices[index];
        jobs.push_back({device.id, device.component, test});
        Job job;
        job.display = index;
        job.test = test;
        job.item = new QTreeWidgetItem(m_results,
                                       {m_displays[index].label(), m_translator->text(test.nameKey),
                                        QString(), tr("Waiting")});
        auto* bar = new QProgressBar(m_results);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setMaximumHeight(m_results->fontMetrics().height() + 4);
        m_results->setItemWidget(job.item, ResultProgress, bar);
        m_jobs.push_back(job);
    }
    m_overall->setRange(0, static_cast<int>(jobs.size()) * 100);
    m_overall->setValue(0);
    m_overall->setFormat(tr("%p% of the run"));
    QStringList names;
    for (const auto& job : chosen) {
        if (!names.contains(m_displays[job.first].id))
            names << m_displays[job.first].id;
    }
    log(tr("Run started: %n test(s) on %1.", nullptr, static_cast<int>(jobs.size()))
            .arg(names.join(QStringLiteral(", "))));
    // The results take the room while the run goes on.
    const QList<int> sizes = m_mainSplitter->sizes();
    const int total = sizes.value(0) + sizes.value(1) + sizes.value(2);
    if (sizes.value(1) < total * 45 / 100) {
        const int results = total * 45 / 100;
        const int top =
            std::max(m_topSplitter->minimumSizeHint().height(), total - results - sizes.value(2));
        m_mainSplitter->setSizes({top, total - top - sizes.value(2), sizes.value(2)});
    }
    m_runner->start(std::move(jobs));
    updateButtons();
    return true;
}

void MainWindow::stopRun()
{
    if (!m_runner->isRunning() || m_runner->stopRequested())
        return;
    m_runner->requestStop();
    log(tr("Stop requested: the running test ends and no further test starts."));
    m_progressText->setText(tr("Stopping..."));
    updateButtons();
}

void MainWindow::onJobStarted(int index)
{
    m_runningJob = index;
    Job& job = m_jobs[index];
    job.started = QDateTime::currentDateTime();
    job.item->setText(ResultName, tr("Running"));
    job.item->setText(ResultTime, job.started.toString(QStringLiteral("HH:mm:ss")));
    m_results->scrollToItem(job.item);
    m_desk->setRunning(job.display);
    const QString testName = m_translator->text(job.test.nameKey);
    m_runningLabel->setText(tr("Test %1 of %2: %3 on %4")
                                .arg(index + 1)
                                .arg(m_jobs.size())
                                .arg(testName, m_displays[job.display].label()));
    m_progressText->clear();
    m_overall->setValue(index * 100);
    log(tr("%1: %2 started.").arg(m_displays[job.display].id, testName));
}

void MainWindow::onJobProgress(int index, int percent, const QString& text)
{
    Job& job = m_jobs[index];
    if (percent < 100)
        job.reached = std::max(job.reached, percent);
    if (auto* bar = qobject_cast<QProgressBar*>(m_results->itemWidget(job.item, ResultProgress)))
        bar->setValue(percent);
    m_overall->setValue(index * 100 + std::max(0, std::min(percent, 100)));
    if (!text.isEmpty()) {
        const QString translated = m_translator->text(text.toStdString());
        job.item->setToolTip(ResultProgress, translated);
        m_progressText->setText(translated);
    }
}

void MainWindow::onJobMessage(int index, const QString& key)
{
    Job& job = m_jobs[index];
    const QString message = m_translator->text(key.toStdString());
    job.messages << message;
    auto* child = new QTreeWidgetItem(job.item);
    child->setText(ResultTest, message);
    child->setToolTip(ResultTest, message);
    job.item->setExpanded(true);
    log(QStringLiteral("    ") + message);
}

void MainWindow::onJobFinished(int index, unsigned result)
{
    Job& job = m_jobs[index];
    job.ended = QDateTime::currentDateTime();
    const QString name = m_translator->resultName(result);
    job.item->setText(ResultName, name);
    job.item->setText(ResultTime, job.started.toString(QStringLiteral("HH:mm:ss - ")) +
                                      job.ended.toString(QStringLiteral("HH:mm:ss")));
    const QColor colour = result == 0 ? QColor(0, 128, 0) : result == 1 ? Qt::red : Qt::darkYellow;
    job.item->setForeground(ResultName, colour);
    if (result != 0 && result != FailedResult) {
        // A test that ended without a verdict did not get to 100%.
        m_results->removeItemWidget(job.item, ResultProgress);
        job.item->setText(ResultProgress, tr("ended at %1%").arg(job.reached));
    }
    m_overall->setValue((index + 1) * 100);
    log(tr("%1: %2: %3")
            .arg(m_displays[job.display].id, m_translator->text(job.test.nameKey), name));
}

void MainWindow::onRunFinished()
{
    std::vector<RunRecord> records = m_runner->records();
    const size_t ran = records.size();
    for (size_t i = ran; i < m_jobs.size(); ++i) {
        // A stop left this test out: the report says so.
        const Job& job = m_jobs[i];
        RunRecord record = TestRunner::recordOf(m_devices[job.display].id, job.test);
        record.result = NotRunResult;
        records.push_back(record);
        job.item->setText(ResultName, m_translator->resultName(NotRunResult));
        job.item->setForeground(ResultName, Qt::darkYellow);
        m_results->removeItemWidget(job.item, ResultProgress);
        job.item->setText(ResultProgress, tr("not started"));
    }
    PlatformSummary::describeRuns(records, m_devices);
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        const Job& job = m_jobs[i];
        SessionReport::Entry entry;
        entry.record = records[i];
        entry.display = m_displays[job.display];
        entry.testName = m_translator->text(job.test.nameKey);
        entry.resultName = m_translator->resultName(entry.record.result);
        entry.messages = job.messages;
        entry.started = job.started;
        entry.ended = job.ended;
        m_report.add(std::move(entry));
    }
    const int notRun = static_cast<int>(m_jobs.size() - ran);
    m_unsaved = true;
    m_desk->setRunning(-1);
    // The bar tells how much of the run ran, not that it is over.
    m_overall->setValue(static_cast<int>(ran) * 100);
    m_overall->setFormat(tr("%1 of %2 test(s) ran").arg(ran).arg(m_jobs.size()));
    m_runningLabel->setText(tr("No test is running."));
    m_progressText->setText(notRun ? tr("Stopped: %n test(s) not run.", nullptr, notRun)
                                   : tr("The run is complete."));
    if (notRun)
        log(tr("Run stopped: %n test(s) not run.", nullptr, notRun));
    log(tr("Run finished."));
    updateVerdicts();
    for (const QString& line : verdictLines())
        log(line);
    updateButtons();
    emit runFinished();
}

void MainWindow::clearReport()
{
    if (m_runner->isRunning())
        return;
    m_report.clear();
    m_unsaved = false;
    m_results->clear();
    m_jobs.clear();
    m_overall->setRange(0, 1);
    m_overall->setValue(0);
    m_overall->setFormat(tr("%p% of the run"));
    m_progressText->clear();
    updateVerdicts();
    log(tr("Results cleared."));
    updateButtons();
}

void MainWindow::askToClearReport()
{
    if (hasUnsavedResults() &&
        QMessageBox::question(this, tr("Clear results"),
                              tr("The results are not saved in a report. Clear them anyway?"),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return;
    clearReport();
}

void MainWindow::updateVerdicts()
{
    QStringList lines;
    for (const QString& line : verdictLines()) {
        const QString colour = line.contains(QLatin1String(": FAILED"))   ? "#b00000"
                               : line.contains(QLatin1String(": PASSED")) ? "#006000"
                                                                          : "#805000";
        lines << QStringLiteral("<span style=\"color:%1\">%2</span>")
                     .arg(colour, line.toHtmlEscaped());
    }
    m_verdicts->setText(lines.join(QStringLiteral("<br>")));
    m_verdicts->setVisible(!lines.isEmpty());
}

void MainWindow::updateButtons()
{
    const bool running = m_runner->isRunning();
    const bool displays = !m_displays.empty();
    m_runButton->setEnabled(!running && !m_settingsBroken && !checkedDisplays().empty() &&
                            !checkedTests().empty());
    m_runAgainButton->setEnabled(!running && !m_settingsBroken && !jobsToRunAgain().empty());
    m_stopButton->setEnabled(running && !m_runner->stopRequested());
    m_refreshButton->setEnabled(!running);
    // Identify draws over the displays, where a pattern may be under judgement.
    m_identifyButton->setEnabled(!running && displays);
    m_testList->setEnabled(!running);
    m_displayList->setEnabled(!running);
    m_allButton->setEnabled(!running && displays);
    m_noneButton->setEnabled(!running && displays);
    m_allTestsButton->setEnabled(!running);
    m_noneTestsButton->setEnabled(!running);
    m_saveReportButton->setEnabled(!running && !m_report.isEmpty());
    m_clearReportButton->setEnabled(!running && !m_report.isEmpty());
}

bool MainWindow::saveLog(const QString& path, QString* error) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(logText().toUtf8() + '\n') < 0) {
        if (error)
            *error = tr("The log cannot be written to %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool MainWindow::saveReport(const QString& path, QString* error)
{
    if (!m_report.save(path, QDateTime::currentDateTime(), error))
        return false;
    m_unsaved = false;
    return true;
}

QString MainWindow::saveFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return documents;
    return QDir::homePath();
}

void MainWindow::chooseLogFile()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save log"),
        saveFolder() + QStringLiteral("/display-log") +
            QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmm.")) + "txt",
        tr("Text files (*.txt)"));
    QString error;
    if (!path.isEmpty() && !saveLog(path, &error))
        QMessageBox::warning(this, tr("Save log"), error);
}

bool MainWindow::chooseReportFile()
{
    QString filter = tr("Readable report (*.html)");
    const QString stem =
        m_ticket->text().trimmed().isEmpty()
            ? QStringLiteral("display-report")
            : QStringLiteral("display-report-") +
                  m_ticket->text().trimmed().replace(QRegularExpression("[^\\w.-]+"), "_");
    QString path = QFileDialog::getSaveFileName(
        this, tr("Save report"),
        saveFolder() + QLatin1Char('/') + stem +
            QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmm.")) + "html",
        tr("Readable report (*.html);;PDF document (*.pdf);;JSON document (*.json)"), &filter);
    if (path.isEmpty())
        return false;
    // A name without a suffix takes the chosen filter's.
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.contains(QLatin1String("pdf"))    ? QStringLiteral(".pdf")
                : filter.contains(QLatin1String("json")) ? QStringLiteral(".json")
                                                         : QStringLiteral(".html");
    QString error;
    if (!saveReport(path, &error)) {
        QMessageBox::warning(this, tr("Save report"), error);
        return false;
    }
    log(tr("Report saved to %1.").arg(path));
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_runner->isRunning()) {
        QMessageBox question(QMessageBox::Question, tr("Close"),
                             tr("A run is going on. Stop it and close?"),
                             QMessageBox::Yes | QMessageBox::Cancel, this);
        question.setObjectName(QStringLiteral("closeQuestion"));
        question.setDefaultButton(QMessageBox::Cancel);
        if (question.exec() != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        // The running test ends through its own checks; requests it still
        // makes are answered without asking.
        m_runner->requestStop();
        m_runner->waitForFinished();
    }
    if (hasUnsavedResults()) {
        QMessageBox question(QMessageBox::Warning, tr("Unsaved results"),
                             tr("%n result(s) of this session are not saved in a report.", nullptr,
                                static_cast<int>(m_report.entries().size())),
                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        question.setObjectName(QStringLiteral("unsavedQuestion"));
        question.setInformativeText(tr("Save them before closing?"));
        question.setDefaultButton(QMessageBox::Save);
        const int answer = question.exec();
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !chooseReportFile())) {
            event->ignore();
            return;
        }
    }
    saveLayout();
    event->accept();
}

void MainWindow::setSettingsAdvice(const QStringList& warnings, const QString& error)
{
    for (const QString& warning : warnings)
        log(tr("Settings: %1").arg(warning));
    m_settingsBroken = !error.isEmpty();
    if (m_settingsBroken)
        log(tr("Settings error: %1").arg(error));
    updateButtons();
    if (warnings.isEmpty() && error.isEmpty())
        return;
    QStringList lines = warnings;
    if (m_settingsBroken)
        lines.prepend(error + tr(" No test can run until the settings are fixed."));
    m_status->setText(m_settingsBroken ? tr("Settings error: no test can run")
                                       : tr("%n settings warning(s), see the log", nullptr,
                                            static_cast<int>(warnings.size())));
    // Shown once the window is up, so it stands over the window it concerns.
    QTimer::singleShot(0, this, [this, lines, broken = m_settingsBroken]() {
        QMessageBox box(broken ? QMessageBox::Critical : QMessageBox::Warning, tr("Settings"),
                        lines.join(QStringLiteral("\n\n")), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("settingsMessage"));
        box.exec();
    });
}

void MainWindow::saveLayout() const
{
    QSettings settings;
    settings.setValue(QStringLiteral("layout/topSplitter"), m_topSplitter->saveState());
    settings.setValue(QStringLiteral("layout/mainSplitter"), m_mainSplitter->saveState());
    settings.setValue(QStringLiteral("layout/geometry"), saveGeometry());
}

void MainWindow::restoreLayout()
{
    const QSettings settings;
    m_topSplitter->restoreState(settings.value(QStringLiteral("layout/topSplitter")).toByteArray());
    m_mainSplitter->restoreState(
        settings.value(QStringLiteral("layout/mainSplitter")).toByteArray());
    restoreGeometry(settings.value(QStringLiteral("layout/geometry")).toByteArray());
}
