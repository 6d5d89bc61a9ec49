#include "host/gui/MainWindow.h"

#include "host/runtime/JsonReport.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/SystemEventMonitor.h"
#include "host/runtime/TestRunner.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
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
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum ResultColumn { DisplayColumn, TestColumn, ProgressColumn, ResultColumn };
}

MainWindow::MainWindow(ModuleCatalogue* catalogue, const KeyTranslator* translator,
                       SettingsMap settings, QWidget* parent)
    : QMainWindow(parent), m_catalogue(catalogue), m_translator(translator),
      m_settings(std::move(settings))
{
    m_events = std::make_unique<SystemEventMonitor>();
    m_handler = std::make_unique<DialogRequestHandler>(this, translator);
    m_runner = std::make_unique<TestRunner>(m_handler.get(), m_events.get());
    connect(m_runner.get(), &TestRunner::jobStarted, this, &MainWindow::onJobStarted);
    connect(m_runner.get(), &TestRunner::jobProgress, this, &MainWindow::onJobProgress);
    connect(m_runner.get(), &TestRunner::jobMessage, this, &MainWindow::onJobMessage);
    connect(m_runner.get(), &TestRunner::jobFinished, this, &MainWindow::onJobFinished);
    connect(m_runner.get(), &TestRunner::finished, this, &MainWindow::onRunFinished);

    if (!catalogue->diagnostics().empty())
        m_tests = catalogue->diagnostics().front().tests;
    buildUi();
    refreshDevices();
}

MainWindow::~MainWindow()
{
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
    auto* devicesBox = new QGroupBox(tr("Displays"), top);
    auto* devicesLayout = new QVBoxLayout(devicesBox);
    m_deviceTree = new QTreeWidget(devicesBox);
    m_deviceTree->setObjectName(QStringLiteral("deviceTree"));
    m_deviceTree->setHeaderLabels({tr("Display"), tr("Value")});
    m_deviceTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    devicesLayout->addWidget(m_deviceTree);
    m_refreshButton = new QPushButton(tr("Refresh"), devicesBox);
    m_refreshButton->setObjectName(QStringLiteral("refreshButton"));
    connect(m_refreshButton, &QPushButton::clicked, this, &MainWindow::refreshDevices);
    devicesLayout->addWidget(m_refreshButton);

    const QString diagnosticName =
        m_catalogue->diagnostics().empty()
            ? tr("Tests")
            : m_translator->text(m_catalogue->diagnostics().front().nameKey);
    auto* testsBox = new QGroupBox(diagnosticName, top);
    auto* testsLayout = new QVBoxLayout(testsBox);
    m_testList = new QListWidget(testsBox);
    m_testList->setObjectName(QStringLiteral("testList"));
    for (size_t i = 0; i < m_tests.size(); ++i) {
        const TestEntry& test = m_tests[i];
        auto* item = new QListWidgetItem(m_translator->text(test.nameKey), m_testList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(m_translator->text(test.descriptionKey));
        item->setData(Qt::UserRole, QString::fromStdString(test.shortName));
    }
    testsLayout->addWidget(m_testList);
    auto* description = new QLabel(testsBox);
    description->setWordWrap(true);
    connect(m_testList, &QListWidget::currentRowChanged, description, [this, description](int row) {
        if (row >= 0 && row < static_cast<int>(m_tests.size()))
            description->setText(m_translator->text(m_tests[row].descriptionKey));
    });
    testsLayout->addWidget(description);
    m_testList->setCurrentRow(0);
    auto* runRow = new QHBoxLayout();
    m_runButton = new QPushButton(tr("Run"), testsBox);
    m_runButton->setObjectName(QStringLiteral("runButton"));
    m_stopButton = new QPushButton(tr("Stop"), testsBox);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    connect(m_runButton, &QPushButton::clicked, this, &MainWindow::startRun);
    connect(m_stopButton, &QPushButton::clicked, this, &MainWindow::stopRun);
    runRow->addWidget(m_runButton);
    runRow->addWidget(m_stopButton);
    testsLayout->addLayout(runRow);
    top->addWidget(devicesBox);
    top->addWidget(testsBox);

    auto* bottom = new QSplitter(Qt::Vertical, central);
    bottom->addWidget(top);
    m_results = new QTreeWidget(bottom);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setHeaderLabels({tr("Display"), tr("Test"), tr("Progress"), tr("Result")});
    m_results->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    bottom->addWidget(m_results);
    m_log = new QPlainTextEdit(bottom);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    bottom->addWidget(m_log);
    bottom->setStretchFactor(0, 3);
    bottom->setStretchFactor(1, 2);
    bottom->setStretchFactor(2, 1);
    layout->addWidget(bottom);

    auto* fileRow = new QHBoxLayout();
    m_saveLogButton = new QPushButton(tr("Save log..."), central);
    m_exportButton = new QPushButton(tr("Export results as JSON..."), central);
    connect(m_saveLogButton, &QPushButton::clicked, this, &MainWindow::chooseLogFile);
    connect(m_exportButton, &QPushButton::clicked, this, &MainWindow::chooseJsonFile);
    fileRow->addStretch();
    fileRow->addWidget(m_saveLogButton);
    fileRow->addWidget(m_exportButton);
    layout->addLayout(fileRow);

    setCentralWidget(central);
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status);
    resize(1000, 720);
    updateButtons();
}

void MainWindow::log(const QString& line)
{
    m_log->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss ")) +
                           line);
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
    m_deviceTree->clear();
    for (const DeviceRecord& device : m_devices) {
        auto* item = new QTreeWidgetItem(
            m_deviceTree, {QString::fromStdString(device.id), m_translator->text(device.name)});
        for (const Property& property : device.properties)
            new QTreeWidgetItem(
                item, {m_translator->text(property.key), m_translator->text(property.value)});
        item->setExpanded(true);
    }
    m_status->setText(tr("%n display(s) found", nullptr, static_cast<int>(m_devices.size())));
    log(tr("Displays refreshed: %1 found.").arg(m_devices.size()));
    updateButtons();
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

std::vector<TestEntry> MainWindow::checkedTests() const
{
    std::vector<TestEntry> tests;
    for (int row = 0; row < m_testList->count(); ++row) {
        if (m_testList->item(row)->checkState() == Qt::Checked)
            tests.push_back(m_tests[row]);
    }
    return tests;
}

bool MainWindow::startRun()
{
    if (m_runner->isRunning())
        return false;
    const std::vector<TestEntry> tests = checkedTests();
    if (tests.empty() || m_devices.empty()) {
        log(tests.empty() ? tr("Choose at least one test.") : tr("No displays to test."));
        return false;
    }
    std::string error;
    if (!ModuleCatalogue::configure(tests, m_settings, &error)) {
        log(tr("Settings error: %1").arg(QString::fromStdString(error)));
        QMessageBox::critical(this, tr("Settings error"), QString::fromStdString(error));
        return false;
    }
    m_jobs.clear();
    m_jobItems.clear();
    m_results->clear();
    std::vector<TestRunner::Job> jobs;
    for (const DeviceRecord& device : m_devices) {
        for (const TestEntry& test : tests) {
            jobs.push_back({device.id, device.component, test});
            m_jobs.push_back({device.id, test});
            auto* item = new QTreeWidgetItem(m_results, {QString::fromStdString(device.id),
                                                         m_translator->text(test.nameKey),
                                                         QString(), tr("Waiting")});
            auto* bar = new QProgressBar(m_results);
            bar->setRange(0, 100);
            bar->setValue(0);
            m_results->setItemWidget(item, ProgressColumn, bar);
            m_jobItems.push_back(item);
        }
    }
    log(tr("Run started: %1 test(s).").arg(jobs.size()));
    m_runner->start(std::move(jobs));
    updateButtons();
    return true;
}

void MainWindow::stopRun()
{
    if (!m_runner->isRunning())
        return;
    m_runner->requestStop();
    log(tr("Stop requested."));
    updateButtons();
}

void MainWindow::onJobStarted(int index)
{
    m_jobItems[index]->setText(ResultColumn, tr("Running"));
    m_results->scrollToItem(m_jobItems[index]);
    log(tr("%1: %2 started.")
            .arg(QString::fromStdString(m_jobs[index].first),
                 m_translator->text(m_jobs[index].second.nameKey)));
}

void MainWindow::onJobProgress(int index, int percent, const QString& text)
{
    if (auto* bar =
            qobject_cast<QProgressBar*>(m_results->itemWidget(m_jobItems[index], ProgressColumn)))
        bar->setValue(percent);
    if (!text.isEmpty())
        m_jobItems[index]->setToolTip(ProgressColumn, m_translator->text(text.toStdString()));
}

void MainWindow::onJobMessage(int index, const QString& key)
{
    const QString message = m_translator->text(key.toStdString());
    auto* child = new QTreeWidgetItem(m_jobItems[index]);
    child->setText(TestColumn, message);
    child->setFirstColumnSpanned(false);
    m_jobItems[index]->setExpanded(true);
    log(QStringLiteral("    ") + message);
}

void MainWindow::onJobFinished(int index, unsigned result)
{
    const QString name = m_translator->resultName(result);
    m_jobItems[index]->setText(ResultColumn, name);
    const QColor colour = result == 0 ? QColor(0, 128, 0) : result == 1 ? Qt::red : Qt::darkYellow;
    m_jobItems[index]->setForeground(ResultColumn, colour);
    log(tr("%1: %2: %3")
            .arg(QString::fromStdString(m_jobs[index].first),
                 m_translator->text(m_jobs[index].second.nameKey), name));
}

void MainWindow::onRunFinished()
{
    for (size_t i = m_runner->records().size(); i < m_jobItems.size(); ++i)
        m_jobItems[i]->setText(ResultColumn, tr("Not started"));
    log(tr("Run finished."));
    updateButtons();
    emit runFinished();
}

void MainWindow::updateButtons()
{
    const bool running = m_runner->isRunning();
    m_runButton->setEnabled(!running && !m_devices.empty());
    m_stopButton->setEnabled(running && !m_runner->stopRequested());
    m_refreshButton->setEnabled(!running);
    m_testList->setEnabled(!running);
    m_exportButton->setEnabled(!running && !m_runner->records().empty());
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

bool MainWindow::exportJson(const QString& path, QString* error) const
{
    const std::string document = JsonReport::runs(m_runner->records());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(document.data(), static_cast<qint64>(document.size())) < 0) {
        if (error)
            *error = tr("The results cannot be written to %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void MainWindow::chooseLogFile()
{
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save log"), QStringLiteral("display-log.txt"));
    QString error;
    if (!path.isEmpty() && !saveLog(path, &error))
        QMessageBox::warning(this, tr("Save log"), error);
}

void MainWindow::chooseJsonFile()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Export results"),
                                                      QStringLiteral("display-results.json"));
    QString error;
    if (!path.isEmpty() && !exportJson(path, &error))
        QMessageBox::warning(this, tr("Export results"), error);
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
