#pragma once

#include "host/gui/DialogRequestHandler.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/ModuleCatalogue.h"
#include "module/SettingsMap.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class KeyTranslator;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SystemEventMonitor;
class TestRunner;

// The desktop front end: the displays with their properties, the quick
// diagnostic's tests to choose from, Run and Stop, per test a progress bar,
// the result and the messages, and a log that can be saved. Tests run on a
// worker thread; their requests come back to this window's thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(ModuleCatalogue* catalogue, const KeyTranslator* translator, SettingsMap settings,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const std::vector<DeviceRecord>& devices() const { return m_devices; }
    TestRunner* runner() const { return m_runner.get(); }
    QString logText() const;

    // Checks exactly the tests with these short names (all when empty).
    void selectTests(const QStringList& shortNames);

    bool saveLog(const QString& path, QString* error = nullptr) const;
    bool exportJson(const QString& path, QString* error = nullptr) const;

public slots:
    void refreshDevices();
    // Starts the checked tests on every display; false when nothing starts.
    bool startRun();
    void stopRun();

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
    void chooseJsonFile();

private:
    void buildUi();
    void log(const QString& line);
    std::vector<TestEntry> checkedTests() const;
    void updateButtons();

    ModuleCatalogue* m_catalogue;
    const KeyTranslator* m_translator;
    SettingsMap m_settings;
    std::vector<DeviceRecord> m_devices;
    std::vector<TestEntry> m_tests;
    std::vector<std::pair<std::string, TestEntry>> m_jobs; // device id, test
    std::vector<QTreeWidgetItem*> m_jobItems;

    std::unique_ptr<SystemEventMonitor> m_events;
    std::unique_ptr<DialogRequestHandler> m_handler;
    std::unique_ptr<TestRunner> m_runner;

    QTreeWidget* m_deviceTree = nullptr;
    QListWidget* m_testList = nullptr;
    QTreeWidget* m_results = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_runButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_saveLogButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QLabel* m_status = nullptr;
};
