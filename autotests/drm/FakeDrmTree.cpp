#include "FakeDrmTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
void write(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), qint64(bytes.size()));
}
} // namespace

FakeDrmTree::FakeDrmTree()
{
    QDir(m_dir.path()).mkpath("sys");
    QDir(m_dir.path()).mkpath("dev");
}

std::string FakeDrmTree::sysfs() const
{
    return (m_dir.path() + "/sys").toStdString();
}

std::string FakeDrmTree::dev() const
{
    return (m_dir.path() + "/dev").toStdString();
}

void FakeDrmTree::connector(const std::string& name, const std::string& status, bool enabled,
                            const std::vector<uint8_t>& edid, const std::string& modes)
{
    const QString path = QString::fromStdString(sysfs() + "/" + name);
    QDir().mkpath(path);
    write(path + "/status", status + "\n");
    write(path + "/enabled", enabled ? "enabled\n" : "disabled\n");
    write(path + "/edid", std::string(edid.begin(), edid.end()));
    write(path + "/modes", modes);
}

void FakeDrmTree::file(const std::string& relative, const std::string& text)
{
    const QString path = QString::fromStdString(sysfs() + "/" + relative);
    QDir().mkpath(QFileInfo(path).path());
    write(path, text);
}
