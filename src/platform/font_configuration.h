#pragma once

#include <future>
#include <thread>

namespace sky {

// Reads the system's font configuration (some forty files of XML and the
// font cache; the first line of text laid out waits for them, and they are
// a good part of start-up) on a thread of its own, while the application
// object and the main window are being made; and once the application
// object is there, fills the toolkit's list of fonts from it on the same
// thread while the main window is being built.
class FontConfigurationReader
{
public:
    FontConfigurationReader();
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader &) = delete;
    FontConfigurationReader &operator=(const FontConfigurationReader &) = delete;

    // The application object has been made: the list of fonts can be
    // filled.
    void applicationMade();
    // Returns once the configuration has been read (and the list filled, if
    // the application object was made), so that no text is laid out while
    // it is still being read (which would read it a second time).
    void wait();

private:
    void tell(bool applicationMade);

    std::promise<bool> m_application;
    bool m_told = false;
    std::thread m_reader;
};

} // namespace sky
