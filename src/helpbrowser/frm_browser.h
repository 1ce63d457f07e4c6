#pragma once

#include "helpbrowser/local_files.h"
#include "platform/buttons.h"
#include "platform/form.h"
#include "platform/list_controls.h"
#include "platform/picture.h"
#include "platform/simple_controls.h"
#include "platform/toolbar.h"
#include "platform/web/web_browser.h"

namespace sky {

// The help browser: a small web browser that opens on the local help page.
// It runs as a program of its own, started by the player's Browser button.
class frmBrowser : public Form
{
public:
    frmBrowser(Services &services, QWebEngineProfile &profile);

    ToolBar tbToolBar;
    PictureBox picAddress;
    Label lblAddress;
    ComboBox cboAddress;
    CommandButton Command2;
    WebBrowser brwWebBrowser;
    Timer timTimer;

    void Form_Load() override;
    void Form_Resize() override;
    void tbToolBar_ButtonClick(const QString &key);
    void cboAddress_Click();
    void cboAddress_KeyPress(int &keyAscii);
    void timTimer_Timer();
    void brwWebBrowser_DownloadComplete();
    // The Browser button was pressed again while this window was open.
    void frontRequested();

private:
    void design() override;
    void openAddress();
    QString homePage();

    LocalFileAccess m_localFiles;
};

} // namespace sky
