#pragma once

#include "platform/buttons.h"
#include "platform/form.h"
#include "platform/list_controls.h"
#include "platform/picture.h"
#include "platform/simple_controls.h"
#include "platform/toolbar.h"
#include "platform/web_browser.h"

namespace sky {

class Program;

// The help browser: a small web browser that opens on the local help page.
class frmBrowser : public Form
{
public:
    explicit frmBrowser(Program &program);

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

private:
    void design() override;
    void openAddress();
    QString homePage();
};

} // namespace sky
