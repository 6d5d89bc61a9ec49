// Shows the main window on a real X server and saves a picture of it for a
// person to look at. The check fails if the picture is blank.
#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/WindowEventFilter.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// Stands in for a test window: records what reaches its KeyPressed slot and
// which keys its own handler still sees.
class KeyRecordingWindow : public QDialog
{
    Q_OBJECT

public:
    QList<int> forwarded;
    QList<int> ownKeys;

public slots:
    void KeyPressed(int keycode) { forwarded << keycode; }

protected:
    void keyPressEvent(QKeyEvent* event) override { ownKeys << event->key(); }
};

class MainWindowScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void keyPressesReachTheWindowWithTheirXKeyCodes()
    {
        if (QProcess::execute("xdotool", {"version"}) != 0)
            QSKIP("xdotool is not installed");
        KeyRecordingWindow window;
        WindowEventFilter filter;
        window.installEventFilter(&filter);
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(filter.window(), &window);
        // No window manager runs on the test server: give the window the
        // focus directly, then type as a user would.
        const QString id = QString::number(window.winId());
        QCOMPARE(QProcess::execute("xdotool", {"windowfocus", "--sync", id}), 0);
        QCOMPARE(QProcess::execute("xdotool", {"key", "5", "Escape"}), 0);
        QTRY_COMPARE(window.forwarded, QList<int>({14, 9}));
        // Escape is fully handled through the slot; the digit also reaches
        // the window's own key handling.
        QCOMPARE(window.ownKeys, QList<int>({Qt::Key_5}));
        QVERIFY(filter.sendEscape());
        QCOMPARE(window.forwarded.last(), 9);
    }

    void mainWindowIsNotBlank()
    {
        QVERIFY(m_translator.load());
        // The real module on the office desk when it is complete, else the
        // fake module, so the picture always shows a populated window.
        const QString binary = qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR");
        const QString desk =
            qEnvironmentVariable("MODULE_DISPLAY_SOURCE_DIR") + "/examples/desks/office.json";
        std::string error;
        if (!m_loader.load((binary + "/lib/libmodule_display.so").toStdString(), &error) ||
            !m_loader.instance() ||
            !BackendSelection::install("sim:" + desk.toStdString(), nullptr, &error)) {
            qInfo("using the fake module: %s", error.c_str());
            m_fallback = std::make_unique<ModuleLoader>();
            QVERIFY(
                m_fallback->load(qEnvironmentVariable("HOST_FAKE_MODULE").toStdString(), &error));
            m_catalogue = std::make_unique<ModuleCatalogue>(m_fallback->instance());
        } else {
            m_catalogue = std::make_unique<ModuleCatalogue>(m_loader.instance());
        }

        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.move(0, 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Show results too: run the unattended test of whichever module.
        window.selectTests({m_fallback ? "p" : "f"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QTest::qWait(500);
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
        QVERIFY(!image.isNull());
        const QString path = qEnvironmentVariable("HOST_SCREENSHOT", "main-window.png");
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(image.save(path));
        qInfo("screenshot saved to %s", qPrintable(path));

        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        }
        QVERIFY2(colours.size() > 8, "the window is blank");
    }

private:
    KeyTranslator m_translator;
    ModuleLoader m_loader;
    std::unique_ptr<ModuleLoader> m_fallback;
    std::unique_ptr<ModuleCatalogue> m_catalogue;
};

QTEST_MAIN(MainWindowScreenshot)
#include "MainWindowScreenshot.moc"
