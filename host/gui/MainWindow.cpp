#include "host/gui/MainWindow.h"

#include "host/gui/DeskView.h"
#include "host/gui/IdentifyWindow.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/PlatformSummary.h"
#include "host/runtime/SystemEventMonitor.h"
#include "host/runtime/TestRunner.h"
#include "host/runtime/WindowExecutor.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSysInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace {
enum DisplayColumn { DisplayName, Connector, Resolution, Position, Refresh };
enum ResultColumn { ResultDisplay, ResultTest, ResultProgress, ResultName, ResultTime };

const int NotRunResult = 6;

QString refreshText(double hz)
{
    return hz > 0 ? QStringLiteral("%1 Hz").arg(hz, 0, 'f', 2) : QString();
}

// Save dialogs start in the user's documents folder with a dated name.
QString suggestedPath(const QString& stem, const QString& suffix)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder + QLatin1Char('/') + stem +
           QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmm.")) + suffix;
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
}

MainWindow::~MainWindow()
{
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

    auto* top = new QSplitter(Qt::Horizontal, central);
    top->addWidget(buildDeskBox());
    auto* detailsBox = new QGroupBox(tr("Details"), top);
    auto* detailsLayout = new QVBoxLayout(detailsBox);
    m_details = new QTreeWidget(detailsBox);
    m_details->setObjectName(QStringLiteral("details"));
    m_details->setHeaderLabels({tr("Property"), tr("Value")});
    m_details->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    detailsLayout->addWidget(m_details);
    m_copyEdidButton = new QPushButton(tr("Copy EDID as hex"), detailsBox);
    m_copyEdidButton->setObjectName(QStringLiteral("copyEdidButton"));
    connect(m_copyEdidButton, &QPushButton::clicked, this, &MainWindow::copyEdid);
    detailsLayout->addWidget(m_copyEdidButton, 0, Qt::AlignRight);
    top->addWidget(detailsBox);
    top->addWidget(buildTestsBox());
    top->setSizes({540, 380, 300});

    auto* bottom = new QSplitter(Qt::Vertical, central);
    bottom->addWidget(top);
    bottom->addWidget(buildProgressBox());
    m_log = new QPlainTextEdit(bottom);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    bottom->addWidget(m_log);
    bottom->setStretchFactor(0, 4);
    bottom->setStretchFactor(1, 3);
    bottom->setStretchFactor(2, 1);
    layout->addWidget(bottom);

    auto* fileRow = new QHBoxLayout();
    m_clearReportButton = new QPushButton(tr("Clear results"), central);
    m_saveLogButton = new QPushButton(tr("Save log..."), central);
    m_saveReportButton = new QPushButton(tr("Save report..."), central);
    m_saveReportButton->setToolTip(tr("The session's results as JSON, HTML or PDF"));
    connect(m_clearReportButton, &QPushButton::clicked, this, &MainWindow::clearReport);
    connect(m_saveLogButton, &QPushButton::clicked, this, &MainWindow::chooseLogFile);
    connect(m_saveReportButton, &QPushButton::clicked, this, &MainWindow::chooseReportFile);
    fileRow->addWidget(m_clearReportButton);
    fileRow->addStretch();
    fileRow->addWidget(m_saveLogButton);
    fileRow->addWidget(m_saveReportButton);
    layout->addLayout(fileRow);

    setCentralWidget(central);
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status);
    resize(1240, 840);
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
        showDetails(m_displayList->indexOfTopLevelItem(m_displayList->currentItem()));
    });
    connect(m_desk, &DeskView::displayClicked, this, [this](int index) {
        QTreeWidgetItem* item = m_displayList->topLevelItem(index);
        if (!item || m_runner->isRunning())
            return;
        item->setCheckState(DisplayName, item->checkState(DisplayName) == Qt::Checked
                                             ? Qt::Unchecked
                                             : Qt::Checked);
        m_displayList->setCurrentItem(item);
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
    m_noneButton = new QPushButton(tr("None"), box);
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
    for (const TestEntry& test : m_tests) {
        auto* item = new QListWidgetItem(m_translator->text(test.nameKey), m_testList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(m_translator->text(test.descriptionKey));
        item->setData(Qt::UserRole, QString::fromStdString(test.shortName));
    }
    layout->addWidget(m_testList);
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
    m_stopButton->setToolTip(tr("Stop the run; in a test window, Ctrl+Q"));
    connect(m_runButton, &QPushButton::clicked, this, &MainWindow::startRun);
    connect(m_stopButton, &QPushButton::clicked, this, &MainWindow::stopRun);
    row->addWidget(m_runButton);
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
    layout->addWidget(m_runningLabel);
    layout->addWidget(m_progressText);
    layout->addWidget(m_overall);
    m_results = new QTreeWidget(box);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setHeaderLabels(
        {tr("Display"), tr("Test"), tr("Progress"), tr("Result"), tr("Started - ended")});
    m_results->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_results);
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
    m_devices = m_catalogue->refresh();
    m_displays.clear();
    for (const DeviceRecord& device : m_devices)
        m_displays.push_back(DisplayEntry::fromDevice(device, *m_translator));

    const QSignalBlocker blocker(m_displayList);
    m_displayList->clear();
    for (const DisplayEntry& display : m_displays) {
        auto* item = new QTreeWidgetItem(
            m_displayList, {display.id + QStringLiteral("  ") + display.name, display.connector,
                            display.geometry.isNull() ? display.resolution
                                                      : QStringLiteral("%1x%2")
                                                            .arg(display.geometry.width())
                                                            .arg(display.geometry.height()),
                            display.positionText(), refreshText(display.refreshHz)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(DisplayName, Qt::Checked);
        item->setToolTip(DisplayName, display.label());
    }
    m_desk->setDisplays(m_displays);
    syncDesk();
    if (m_displayList->topLevelItemCount() > 0)
        m_displayList->setCurrentItem(m_displayList->topLevelItem(0));
    showDetails(m_displays.empty() ? -1 : 0);
    m_status->setText(tr("%n display(s) found", nullptr, static_cast<int>(m_displays.size())));
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
    updateButtons();
}

void MainWindow::identify()
{
    int shown = 0;
    for (const DisplayEntry& display : m_displays) {
        if (display.geometry.isNull())
            continue;
        auto* window = new IdentifyWindow(display, display.geometry, this);
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
    std::string error;
    if (!ModuleCatalogue::configure(tests, m_settings, &error)) {
        log(tr("Settings error: %1").arg(QString::fromStdString(error)));
        QMessageBox::critical(this, tr("Settings error"), QString::fromStdString(error));
        return false;
    }
    m_jobs.clear();
    std::vector<TestRunner::Job> jobs;
    for (int index : displays) {
        const DeviceRecord& device = m_devices[index];
        for (const TestEntry& test : tests) {
            jobs.push_back({device.id, device.component, test});
            Job job;
            job.display = index;
            job.test = test;
            job.item = new QTreeWidgetItem(m_results, {m_displays[index].label(),
                                                       m_translator->text(test.nameKey), QString(),
                                                       tr("Waiting")});
            auto* bar = new QProgressBar(m_results);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setMaximumHeight(m_results->fontMetrics().height() + 4);
            m_results->setItemWidget(job.item, ResultProgress, bar);
            m_jobs.push_back(job);
        }
    }
    m_overall->setRange(0, static_cast<int>(jobs.size()) * 100);
    m_overall->setValue(0);
    QStringList names;
    for (int index : displays)
        names << m_displays[index].id;
    log(tr("Run started: %n test(s) on %1.", nullptr, static_cast<int>(jobs.size()))
            .arg(names.join(QStringLiteral(", "))));
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
    const Job& job = m_jobs[index];
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
        RunRecord record;
        record.device = m_devices[job.display].id;
        record.test = job.test.longName;
        record.shortName = job.test.shortName;
        record.nameKey = job.test.nameKey;
        record.itemId = job.test.itemId;
        record.result = NotRunResult;
        records.push_back(record);
        job.item->setText(ResultName, m_translator->resultName(NotRunResult));
        job.item->setForeground(ResultName, Qt::darkYellow);
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
    m_desk->setRunning(-1);
    m_overall->setValue(m_overall->maximum());
    m_runningLabel->setText(tr("No test is running."));
    m_progressText->setText(notRun ? tr("Stopped: %n test(s) not run.", nullptr, notRun)
                                   : tr("The run is complete."));
    if (notRun)
        log(tr("Run stopped: %n test(s) not run.", nullptr, notRun));
    log(tr("Run finished."));
    updateButtons();
    emit runFinished();
}

void MainWindow::clearReport()
{
    if (m_runner->isRunning())
        return;
    m_report.clear();
    m_results->clear();
    m_jobs.clear();
    m_overall->setRange(0, 1);
    m_overall->setValue(0);
    m_progressText->clear();
    log(tr("Results cleared."));
    updateButtons();
}

void MainWindow::updateButtons()
{
    const bool running = m_runner->isRunning();
    m_runButton->setEnabled(!running && !checkedDisplays().empty());
    m_stopButton->setEnabled(running && !m_runner->stopRequested());
    m_refreshButton->setEnabled(!running);
    m_testList->setEnabled(!running);
    m_displayList->setEnabled(!running);
    m_allButton->setEnabled(!running);
    m_noneButton->setEnabled(!running);
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

bool MainWindow::saveReport(const QString& path, QString* error) const
{
    return m_report.save(path, QDateTime::currentDateTime(), error);
}

void MainWindow::chooseLogFile()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save log"), suggestedPath(QStringLiteral("display-log"), QStringLiteral("txt")),
        tr("Text files (*.txt)"));
    QString error;
    if (!path.isEmpty() && !saveLog(path, &error))
        QMessageBox::warning(this, tr("Save log"), error);
}

void MainWindow::chooseReportFile()
{
    QString filter = tr("Readable report (*.html)");
    QString path = QFileDialog::getSaveFileName(
        this, tr("Save report"), suggestedPath(QStringLiteral("display-report"), "html"),
        tr("Readable report (*.html);;PDF document (*.pdf);;JSON document (*.json)"), &filter);
    if (path.isEmpty())
        return;
    // A name without a suffix takes the chosen filter's.
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.contains(QLatin1String("pdf"))    ? QStringLiteral(".pdf")
                : filter.contains(QLatin1String("json")) ? QStringLiteral(".json")
                                                         : QStringLiteral(".html");
    QString error;
    if (!saveReport(path, &error))
        QMessageBox::warning(this, tr("Save report"), error);
    else
        log(tr("Report saved to %1.").arg(path));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_runner->isRunning()) {
        // The running test ends through its own checks; requests it still
        // makes are answered without asking.
        m_runner->requestStop();
        m_runner->waitForFinished();
    }
    event->accept();
}
