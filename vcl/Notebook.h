// TNotebook: a stack of TPage controls of which one shows at a time, named by Pages (one
// caption per page) and chosen by PageIndex or ActivePage. A new notebook has one page,
// "Default"; a stream's pages replace it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classes/TStrings.h"
#include "vcl/Controls.h"

namespace vcl {

class TNotebook;

class TPage : public TCustomControl {
public:
    CLASSES_OBJECT(TPage)
    explicit TPage(classes::TComponent* owner);
    TNotebook* notebook() const;
    // A page a stream names under a notebook joins that notebook.
    void setParentComponent(classes::TComponent* parent) override;
};

class TNotebookPages;

class TNotebook : public TCustomControl {
public:
    CLASSES_OBJECT(TNotebook)
    explicit TNotebook(classes::TComponent* owner);
    ~TNotebook() override;

    // One caption per page; the page itself is the string's object. Adding a string adds a
    // page, deleting one frees its page.
    classes::TStrings* pages() const;
    void setPages(classes::TStrings* pages);
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    TPage* page(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    int pageIndex() const { return m_pageIndex; }
    // Shows that page; an index outside the pages changes nothing.
    void setPageIndex(int index);
    // The caption of the page showing; setting it shows the first page of that caption.
    std::string activePage() const;
    void setActivePage(const std::string& caption);

    classes::TMethod onPageChanged;

    void getChildren(const std::function<void(classes::TComponent*)>& proc,
                     classes::TComponent* root) const override;
    void setChildOrder(classes::TComponent* child, int order) override;
    void loaded() override;

private:
    friend class TPage;
    friend class TNotebookPages;
    TPage* addPage(int index, const std::string& caption);
    void removePage(int index);
    void adopt(TPage* page);
    void showPage(int index);

    std::unique_ptr<TNotebookPages> m_pageList;
    std::vector<TPage*> m_pages;
    int m_pageIndex = -1, m_loadedIndex = -1;
    // The first page a stream brings replaces the default one.
    bool m_streamPagesCleared = false;
};

}  // namespace vcl
