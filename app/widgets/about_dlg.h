// The About box: the product's name and version, links to the maker's web site and e-mail
// address, the ownership notice, and a button that runs the update check with the About box
// open behind it.
#pragma once

#include "app/dialog_units.h"
#include "support/widgets/tooltip_window.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string>

class CIDHyperLink;
class COXStatic;
class CUpdateDlg;

namespace nv {
class Shell;
}

enum AboutBoxId {
    IDD_ABOUTBOX = 100,
    IDC_CHECK_FOR_UPDATES = 1040,
    IDC_VERSION = 1041,
    IDC_PRODUCT_NAME = 1063,
    IDC_WEB_LINK = 1080,
    IDC_EMAIL_LINK = 1081,
    IDC_ABOUT_STATIC = -1, // the icon, the two labels and the notice
};

// The template in dialog units.
constexpr DlgSize kAboutTemplateSize{322, 158};
constexpr TemplateControl kAboutIcon{IDC_ABOUT_STATIC, 7, 7, 21, 20};
constexpr TemplateControl kAboutProductName{IDC_PRODUCT_NAME, 41, 7, 167, 12};
constexpr TemplateControl kAboutVersion{IDC_VERSION, 57, 25, 144, 13};
constexpr TemplateControl kAboutCheckForUpdates{IDC_CHECK_FOR_UPDATES, 212, 70, 103, 22};
constexpr TemplateControl kAboutWebLabel{IDC_ABOUT_STATIC, 7, 111, 18, 8};
constexpr TemplateControl kAboutWebLink{IDC_WEB_LINK, 38, 111, 176, 8};
constexpr TemplateControl kAboutEmailLabel{IDC_ABOUT_STATIC, 7, 126, 24, 8};
constexpr TemplateControl kAboutEmailLink{IDC_EMAIL_LINK, 38, 126, 175, 8};
constexpr TemplateControl kAboutNotice{IDC_ABOUT_STATIC, 7, 143, 246, 8};
constexpr TemplateControl kAboutClose{1, 277, 137, 38, 14};

class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    // version: the product version text. shell opens the links and must outlive the box.
    CAboutDlg(const std::string& version, nv::Shell& shell, QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // A control by id (IDC_ABOUT_STATIC has none).
    QWidget* Control(int id) const;
    CIDToolTipCtrl& ToolTip() { return m_toolTip; }

    // Runs the update dialog over the About box.
    void OnCheckForUpdates();
    // Called with each update dialog before it runs, to set up its check.
    void SetUpdateDialogSetup(std::function<void(CUpdateDlg&)> setup)
    {
        m_updateSetup = std::move(setup);
    }

    // "Version: " and the version text, shown in control IDC_VERSION.
    std::string m_strVersion;

private:
    void CreateControls(nv::Shell& shell);
    void UpdateData();

    COXStatic* m_wndProductName = nullptr;
    COXStatic* m_wndVersion = nullptr;
    CIDHyperLink* m_wndWebLink = nullptr;
    CIDHyperLink* m_wndEmailLink = nullptr;
    CIDToolTipCtrl m_toolTip;
    std::map<int, QWidget*> m_controls;
    std::function<void(CUpdateDlg&)> m_updateSetup;
};
