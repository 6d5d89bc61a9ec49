// Shows the main window on a real X server and saves a picture of it for a
// person to look at. The check fails if the picture is blank.
#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QSet>
#include <QtTest>

#include <memory>

class MainWindowScreenshot : public QObject
{
    Q_OBJECT

private slots:
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
            QVERIFY(m_fallback->load(qEnvironmentVariable("HOST_FAKE_MODULE").toStdString(),
                                     &error));
            m_catalogue = std::make_unique<ModuleCatalogue>(m_fallback->instance());
        } else {
            m_catalogue = std::make_unique<ModuleCatalogue>(m_loader.instance());
        }

        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.move(0, 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(500);
        const QImage image =
            QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
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
