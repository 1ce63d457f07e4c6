#include "helpbrowser/frm_browser.h"

namespace sky {

namespace {

constexpr int kEnter = 13;
const QString kSearchPage = QStringLiteral("https://duckduckgo.com/");

} // namespace

frmBrowser::frmBrowser(Services &services, QWebEngineProfile &profile)
    : Form(QStringLiteral("frmBrowser"), services), tbToolBar(*this, QStringLiteral("tbToolBar")),
      picAddress(*this, QStringLiteral("picAddress")), lblAddress(*this, QStringLiteral("lblAddress"), &picAddress),
      cboAddress(*this, QStringLiteral("cboAddress"), ComboBox::DropdownCombo, &picAddress),
      Command2(*this, QStringLiteral("Command2"), &picAddress),
      brwWebBrowser(*this, QStringLiteral("brwWebBrowser"), profile), timTimer(*this, QStringLiteral("timTimer")),
      m_localFiles(services.environment.applicationFolder())
{
    tbToolBar.addButton(QStringLiteral("Back"), QStringLiteral("Back"), QStyle::SP_ArrowBack);
    tbToolBar.addButton(QStringLiteral("Forward"), QStringLiteral("Forward"), QStyle::SP_ArrowForward);
    tbToolBar.addButton(QStringLiteral("Stop"), QStringLiteral("Stop"), QStyle::SP_BrowserStop);
    tbToolBar.addButton(QStringLiteral("Refresh"), QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    tbToolBar.addButton(QStringLiteral("Home"), QStringLiteral("Home"), QStyle::SP_DirHomeIcon);
    tbToolBar.addButton(QStringLiteral("Search"), QStringLiteral("Search"), QStyle::SP_FileDialogContentsView);
    tbToolBar.ButtonClick = [this](const QString &key) { tbToolBar_ButtonClick(key); };
    cboAddress.Click = [this] { cboAddress_Click(); };
    cboAddress.KeyPress = [this](int &key) { cboAddress_KeyPress(key); };
    Command2.Click = [this] { cboAddress_Click(); };
    timTimer.Tick = [this] { timTimer_Timer(); };
    brwWebBrowser.DocumentComplete = [this] { brwWebBrowser_DownloadComplete(); };
    brwWebBrowser.MayReadLocalFile = [this](const QUrl &file) { return m_localFiles.allows(file); };
}

void frmBrowser::design()
{
    setCaption(QStringLiteral("Web Browser"));
    setBorder(Border::Sizable);
    setClientSize(9600, 7200);
    centreOnScreen();
    tbToolBar.Move(0, 0, 9600, 780);
    picAddress.Move(0, 780, 9600, 720);
    lblAddress.setCaption(QStringLiteral("&Address:"));
    lblAddress.setBuddy(cboAddress);
    lblAddress.Move(50, 30, 3075, 240);
    cboAddress.Move(50, 300, 8000, 330);
    Command2.setCaption(QStringLiteral("Go"));
    Command2.Move(8950, 15, 600, 270);
    brwWebBrowser.Move(50, 1560, 9500, 5580);
    timTimer.setInterval(5);
    timTimer.setEnabled(false);
}

QString frmBrowser::homePage()
{
    return services().environment.applicationFolder() + QStringLiteral("/MediaPlayer.htm");
}

void frmBrowser::Form_Load()
{
    // The steps go on whatever fails before them.
    Show();
    tbToolBar.Refresh();
    Form_Resize();
    cboAddress.setLeft(50);
    cboAddress.setTop(lblAddress.Top() + lblAddress.Height() + 15);
    cboAddress.setText(homePage());
    openAddress();
}

void frmBrowser::Form_Resize()
{
    const float width = ScaleWidth();
    if (cboAddress.Width() != width - 100)
        cboAddress.setWidth(width - 100);
    if (brwWebBrowser.Width() != width - 100)
        brwWebBrowser.setWidth(width - 100);
    const float height = ScaleHeight() - (picAddress.Top() + picAddress.Height()) - 100;
    if (height > 0)
        brwWebBrowser.setHeight(height);
    // The toolbar and the address row, with Go at its right, follow the
    // window's width.
    tbToolBar.setWidth(width);
    picAddress.setWidth(width);
    Command2.setLeft(width - 50 - Command2.Width());
}

void frmBrowser::openAddress()
{
    timTimer.setEnabled(true);
    const QUrl address = addressUrl(cboAddress.Text());
    m_localFiles.allowOpened(address);
    brwWebBrowser.Navigate(address);
}

void frmBrowser::tbToolBar_ButtonClick(const QString &key)
{
    timTimer.setEnabled(true);
    if (key == QStringLiteral("Back")) {
        brwWebBrowser.GoBack();
    } else if (key == QStringLiteral("Forward")) {
        brwWebBrowser.GoForward();
    } else if (key == QStringLiteral("Refresh")) {
        brwWebBrowser.Refresh();
    } else if (key == QStringLiteral("Home")) {
        cboAddress.setText(homePage());
        openAddress();
    } else if (key == QStringLiteral("Search")) {
        cboAddress.setText(kSearchPage);
        openAddress();
    } else if (key == QStringLiteral("Stop")) {
        timTimer.setEnabled(false);
        brwWebBrowser.Stop();
        setCaption(brwWebBrowser.LocationName());
    }
}

void frmBrowser::cboAddress_Click()
{
    openAddress();
}

void frmBrowser::cboAddress_KeyPress(int &keyAscii)
{
    if (keyAscii == kEnter)
        cboAddress_Click();
}

void frmBrowser::timTimer_Timer()
{
    if (brwWebBrowser.Busy()) {
        setCaption(QStringLiteral("Working..."));
        return;
    }
    timTimer.setEnabled(false);
    setCaption(brwWebBrowser.LocationName());
}

void frmBrowser::brwWebBrowser_DownloadComplete()
{
    setCaption(brwWebBrowser.LocationName());
}

void frmBrowser::frontRequested()
{
    restore();
    Show();
}

} // namespace sky
