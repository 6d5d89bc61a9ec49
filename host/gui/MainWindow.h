#pragma once

#include "host/gui/DialogRequestHandler.h"
#include "host/gui/DisplayEntry.h"
#include "host/gui/SessionReport.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/ModuleCatalogue.h"
#include "module/SettingsMap.h"

#include <QDateTime>
#include <QMainWindow>

#include <memory>
#include <vector>

class DeskView;
class KeyTranslator;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SystemEventMonitor;
class TestRunner;

// The desktop front end: the desk picture and the display picker, the
// chosen display's details, the quick diagnostic's tests, Run, Stop and
// Identify, the running test's progress, the session's results across runs
// and a log. Tests run on a worker thread; their requests come back to this
// window's thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(ModuleCatalogue* catalogue, const KeyTranslator* translator, SettingsMap settings,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const std::vector<DeviceRecord>& devices() const { return m_devices; }
    const std::vector<DisplayEntry>& displays() const { return m_displays; }
    const SessionReport& report() const { return m_report; }
    TestRunner* runner() const { return m_runner.get(); }
    QString logText() const;
    void setModuleVersion(const QString& version) { m_report.setModuleVersion(version); }

    // Checks exactly the tests with these short names (all when empty).
    void selectTests(const QStringList& shortNames);
    // Checks exactly the displays with these identifiers (all when empty).
    void selectDisplays(const QStringList& ids);
    QStringList selectedDisplays() const;

    bool saveLog(const QString& path, QString* error = nullptr) const;
    // The session report; the format follows the suffix (.json, .html, .pdf).
    bool saveReport(const QString& path, QString* error = nullptr) const;
    bool exportJson(const QString& path, QString* error = nullptr) const
    {
        return saveReport(path, error);
    }

public slots:
    void refreshDevices();
    // Starts the checked tests on the checked displays; false when nothing starts.
    bool startRun();
    void stopRun();
    // Shows each display's number on that display for a few seconds.
    void identify();
    void clearReport();

signals:
    void runFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onJobStarted(int index);
    void onJobProgress(int index, int percent, const QString& text);
    void onJobMessage(int index, const QString& key);
    void onJobFinished(int index, unsigned result);
    void onRunFinished();
    void chooseLogFile();
    void chooseReportFile();
    void copyEdid();

private:
    struct Job
    {
        int display = -1; // index into m_displays
        TestEntry test;
        QTreeWidgetItem* item = nullptr;
        QDateTime started;
        QDateTime ended;
        QStringList messages;
    };

    void buildUi();
    QWidget* buildDeskBox();
    QWidget* buildTestsBox();
    QWidget* buildProgressBox();
    void log(const QString& line);
    std::vector<TestEntry> checkedTests() const;
    std::vector<int> checkedDisplays() const;
    void showDetails(int display);
    void syncDesk();
    void updateButtons();
    DialogRequestHandler::Display displayFor(const std::string& device) const;

    ModuleCatalogue* m_catalogue;
    const KeyTranslator* m_translator;
    SettingsMap m_settings;
    std::vector<DeviceRecord> m_devices;
    std::vector<DisplayEntry> m_displays;
    int m_runningJob = -1; // index into m_jobs
    std::vector<TestEntry> m_tests;
    std::vector<Job> m_jobs;
    SessionReport m_report;

    std::unique_ptr<SystemEventMonitor> m_events;
    std::unique_ptr<DialogRequestHandler> m_handler;
    std::unique_ptr<TestRunner> m_runner;

    DeskView* m_desk = nullptr;
    QTreeWidget* m_displayList = nullptr;
    QTreeWidget* m_details = nullptr;
    QListWidget* m_testList = nullptr;
    QTreeWidget* m_results = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QLabel* m_runningLabel = nullptr;
    QLabel* m_progressText = nullptr;
    QProgressBar* m_overall = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_identifyButton = nullptr;
    QPushButton* m_allButton = nullptr;
    QPushButton* m_noneButton = nullptr;
    QPushButton* m_copyEdidButton = nullptr;
    QPushButton* m_runButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_saveLogButton = nullptr;
    QPushButton* m_saveReportButton = nullptr;
    QPushButton* m_clearReportButton = nullptr;
    QLabel* m_status = nullptr;
};
