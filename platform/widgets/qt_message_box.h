// Message boxes as Qt dialogs, with the application title as caption.
#pragma once

#include "platform/message_box.h"

class QWidget;

namespace nv {

class QtMessageBox : public MessageBoxService
{
public:
    // title is the caption of every box; parent may be null (the boxes are then centred on
    // the screen).
    explicit QtMessageBox(std::string title, QWidget* parent = nullptr)
        : m_title(std::move(title)), m_parent(parent)
    {}
    int Show(const std::string& text, MessageButtons buttons) override;
    void SetParent(QWidget* parent) { m_parent = parent; }

private:
    std::string m_title;
    QWidget* m_parent;
};

} // namespace nv
