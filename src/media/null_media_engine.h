#pragma once

#include "media/mediaengine.h"

namespace sky {

// An engine that plays nothing: every item is closed at once. The program
// falls back to it when the real player cannot be started.
class NullMediaEngine : public MediaEngine
{
public:
    void setFileName(const QString &address) override { m_fileName = address; }
    QString fileName() const override { return m_fileName; }
    double currentPosition() const override { return 0; }
    void setCurrentPosition(double) override {}
    void setDisplaySize(long size) override { m_displaySize = size; }
    long displaySize() const override { return m_displaySize; }
    long playState() const override { return Closed; }
    void stop() override {}
    void open(const QString &) override {}
    QWidget *view() override { return nullptr; }

private:
    QString m_fileName;
    long m_displaySize = 4;
};

} // namespace sky
