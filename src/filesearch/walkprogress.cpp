#include "filesearch/walkprogress.h"

#include "controls/controls.h"

WalkProgress::WalkProgress(ctl::Label* label, std::initializer_list<ctl::ListBox*> lists)
    : m_label(label), m_lists(lists)
{
}

void WalkProgress::append(const QString& entry)
{
    for (ctl::ListBox* list : m_lists)
        list->AddItemLater(entry);
}

void WalkProgress::setCaption(const QString& caption)
{
    m_caption = caption;
    m_captionPending = true;
}

void WalkProgress::yield()
{
    if (m_frame.due()) show();
    plat::DoEvents();
}

void WalkProgress::show()
{
    for (ctl::ListBox* list : m_lists)
        list->FlushPending();
    if (m_captionPending) {
        m_captionPending = false;
        m_label->setCaption(m_caption);
    }
}
