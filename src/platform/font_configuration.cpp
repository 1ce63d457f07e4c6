#include "platform/font_configuration.h"

#include <fontconfig/fontconfig.h>

namespace sky {

FontConfigurationReader::FontConfigurationReader() : m_reader([] { FcInit(); }) { }

FontConfigurationReader::~FontConfigurationReader()
{
    wait();
}

void FontConfigurationReader::wait()
{
    if (m_reader.joinable())
        m_reader.join();
}

} // namespace sky
