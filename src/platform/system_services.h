#pragma once

#include "platform/services.h"

#include <random>

namespace sky {

class QtMessageBox : public MessageBoxService
{
public:
    void show(const QString &text) override;
};

class QtFileDialog : public FileDialogService
{
public:
    std::optional<QString> choose(const Request &request) override;
};

// Turns "Text|*.a|Other|*.b" into the file dialog's "Text (*.a);;Other (*.b)".
QString qtFileFilter(const QString &filter);

class SystemRandom : public RandomSource
{
public:
    SystemRandom();
    double next() override;
    void reseedFromClock() override;

private:
    std::mt19937_64 m_engine;
};

class SystemClock : public Clock
{
public:
    QString timeOfDay() override;
    qint64 msecsSinceEpoch() override;

private:
    // The title shows the time ten times a second: it is formatted once a
    // second.
    QString m_format;
    qint64 m_shownSecond = -1;
    QString m_shown;
};

class SystemEnvironment : public Environment
{
public:
    QString applicationFolder() override;
    QString userDataFolder() override;
    QStringList arguments() override;
    QStringList volumes() override;
};

class QtUserSettings : public UserSettings
{
public:
    QVariant value(const QString &section, const QString &key, const QVariant &fallback) override;
};

class QtClipboard : public ClipboardService
{
public:
    QString text() override;
    void setText(const QString &text) override;
};

class EventLoopModal : public ModalLoop
{
public:
    void run(Form &form) override;
};

} // namespace sky
