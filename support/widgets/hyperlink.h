// CIDHyperLink: a static text that opens its target (a web address, "mailto:..." or a file)
// through the desktop when it is clicked, with a link cursor and a tooltip of its own.
#pragma once

#include "support/widgets/static_control.h"

#include <string>

namespace nv {
class Shell;
}

class CIDHyperLink : public COXStatic
{
    Q_OBJECT
public:
    // The application's cursor resource of the link hand.
    static constexpr int IDC_LINK_HAND = 1083;

    // shell opens the target; it must outlive the control.
    explicit CIDHyperLink(nv::Shell& shell, QWidget* parent = nullptr);

    void SetURL(const std::string& url) { m_strURL = url; }
    const std::string& GetURL() const { return m_strURL; }
    // Shows the application's cursor resource id over the control. False, and the up-arrow
    // cursor, when the application has no such cursor.
    bool SetLinkCursor(int id);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    nv::Shell& m_shell;
    std::string m_strURL;
};
