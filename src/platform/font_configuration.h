#pragma once

#include <thread>

namespace sky {

// Reads the system's font configuration (some forty files of XML and the
// font cache; the first line of text laid out waits for them, and they are
// a good part of start-up) on a thread of its own, while the application
// object and the main window are being made.
class FontConfigurationReader
{
public:
    FontConfigurationReader();
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader &) = delete;
    FontConfigurationReader &operator=(const FontConfigurationReader &) = delete;

    // Returns once the configuration has been read, so that no text is laid
    // out while it is still being read (which would read it a second time).
    void wait();

private:
    std::thread m_reader;
};

} // namespace sky
