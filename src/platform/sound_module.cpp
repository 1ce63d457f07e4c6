#include "platform/sound_module.h"

#include <QDir>
#include <QFile>
#include <QtDebug>

#include <dlfcn.h>

namespace sky {

namespace {

constexpr int kRate = 44100;

} // namespace

ModuleSoundOutput::ModuleSoundOutput(QString folder) : m_folder(std::move(folder)) {}

ModuleSoundOutput::~ModuleSoundOutput() = default;

bool ModuleSoundOutput::load()
{
    if (m_tried)
        return m_output != nullptr;
    m_tried = true;
    const QByteArray path = QFile::encodeName(QDir(m_folder).filePath(QString::fromLatin1(kSoundModule)));
    // The module stays loaded for the rest of the run.
    void *module = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    const auto make = module ? reinterpret_cast<SoundOutput *(*)()>(dlsym(module, kSoundModuleEntry)) : nullptr;
    if (!make) {
        qWarning("sound output: %s cannot be used (%s); movies play without sound", path.constData(), dlerror());
        return false;
    }
    m_output.reset(make());
    return true;
}

int ModuleSoundOutput::rate()
{
    return load() ? m_output->rate() : kRate;
}

void ModuleSoundOutput::start(Source source)
{
    if (load()) {
        m_output->start(std::move(source));
        return;
    }
    m_silent.start(std::move(source), kRate);
}

void ModuleSoundOutput::stop()
{
    if (m_output)
        m_output->stop();
    m_silent.stop();
}

qsizetype ModuleSoundOutput::queuedFrames()
{
    return m_output ? m_output->queuedFrames() : 0;
}

} // namespace sky
