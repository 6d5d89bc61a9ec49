#pragma once

#include "host/gui/DialogRequestHandler.h"
#include "host/gui/DisplayEntry.h"
#include "host/gui/SessionReport.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/ModuleCatalogue.h"
#include "module/SettingsMap.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>

#include <memory>
#include <vector>

class DeskView;
class KeyTranslator;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class SystemEventMonitor;
class TestRunner;

// The desktop front end: the desk picture and the display picker, the
// chosen display's details, the quick diagnostic's tests, Run, Stop and
// Identify, the running test's progress, the session's results across runs
// with a verdict per display, who tested for which ticket, and a log. Tests
// run on a worker thread; their requests come back to this window's thread.
// Stop (the button or Ctrl+Q) works at any moment of a run, also while a
// question or a test window is up.
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
    // Says in the log and in one message what the settings probably do not
    // mean as written; errors also disable Run until they are fixed.
    void setSettingsAdvice(const QStringList& warnings, const QString& error);

    // Why a test does not apply to a display, in a few words ("analog
    // input"); empty when it does.
    QString notApplicableReason(const TestEntry& test, int display) const;
    // One line per display from the latest result of each test.
    QStringList verdictLines() const { return m_report.verdictLines(); }
    bool hasUnsavedResults() const { return m_unsaved && !m_report.isEmpty(); }
    // The folder save dialogs open in: documents, else home.
    static QString saveFolder();

    // Checks exactly the tests with these short names (all when empty).
    void selectTests(const QStringList& shortNames);
    // Checks exactly the displays with these identifiers (all when empty).
    void selectDisplays(const QStringList& ids);
    QStringList selectedDisplays() const;

    bool saveLog(const QString& path, QString* error = nullptr) const;
    // The session report; the format follows the suffix (.json, .html, .pdf).
    bool saveReport(const QString& path, QString* error = nullptr);
    bool exportJson(const QString& path, QString* error = nullptr)
    {
        return saveReport(path, error);
    }

public slots:
    void refreshDevices();
    // Starts the checked tests on the checked displays; false when nothing starts.
    bool startRun();
    // Runs the failed, aborted and not run tests of the checked displays
    // again (their latest result); false when there are none.
    bool runAgain();
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
    // False when the user cancelled or the report could not be written.
    bool chooseReportFile();
    void askToClearReport();
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
        int reached = 0; // the highest progress below 100
    };

    void buildUi();
    QWidget* buildDeskBox();
    QWidget* buildTestsBox();
    QWidget* buildProgressBox();
    void log(const QString& line);
    bool runJobs(const std::vector<std::pair<int, TestEntry>>& jobs);
    std::vector<std::pair<int, TestEntry>> jobsToRunAgain() const;
    void updateApplicability();
    void updateVerdicts();
    void saveLayout() const;
    void restoreLayout();

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
    bool m_unsaved = false;
    bool m_settingsBroken = false;
    // Whether each display was chosen, by identity, kept across refreshes.
    QHash<QString, bool> m_choice;

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
    QPushButton* m_allTestsButton = nullptr;
    QPushButton* m_noneTestsButton = nullptr;
    QPushButton* m_runAgainButton = nullptr;
    QLabel* m_verdicts = nullptr;
    QLabel* m_applicability = nullptr;
    QLineEdit* m_technician = nullptr;
    QLineEdit* m_ticket = nullptr;
    QLineEdit* m_notes = nullptr;
    QSplitter* m_topSplitter = nullptr;
    QSplitter* m_mainSplitter = nullptr;
    QPushButton* m_copyEdidButton = nullptr;
    QPushButton* m_runButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_saveLogButton = nullptr;
    QPushButton* m_saveReportButton = nullptr;
    QPushButton* m_clearReportButton = nullptr;
    QLabel* m_status = nullptr;
};
