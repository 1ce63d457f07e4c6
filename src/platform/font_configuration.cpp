#include "platform/font_configuration.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

namespace sky {

FontConfigurationReader::FontConfigurationReader()
    : m_reader([made = m_application.get_future()]() mutable {
        FcInit();
        // The toolkit lists the fonts as the first text is laid out, a
        // million and a half instructions the main window's building need
        // not wait for.
        if (made.get())
            QFontDatabase::families();
    })
{
}

FontConfigurationReader::~FontConfigurationReader()
{
    wait();
}

void FontConfigurationReader::applicationMade()
{
    tell(true);
}

void FontConfigurationReader::wait()
{
    tell(false);
    if (m_reader.joinable())
        m_reader.join();
}

void FontConfigurationReader::tell(bool applicationMade)
{
    if (m_told)
        return;
    m_told = true;
    m_application.set_value(applicationMade);
}

} // namespace sky
