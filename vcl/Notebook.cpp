// TNotebook and TPage.
#include "vcl/Notebook.h"

#include <algorithm>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

// The Pages list: captions in, pages out.
class TNotebookPages final : public classes::TStrings {
public:
    CLASSES_OBJECT(TNotebookPages)
    explicit TNotebookPages(TNotebook& notebook) : m_notebook(notebook) {}
    int count() const override { return m_notebook.pageCount(); }
    std::string get(int index) const override {
        check(index, count());
        return m_notebook.page(index)->caption();
    }
    void put(int index, std::string_view s) override {
        check(index, count());
        m_notebook.page(index)->setCaption(std::string(s));
    }
    TObject* object(int index) const override {
        check(index, count());
        return m_notebook.page(index);
    }
    void insert(int index, std::string_view s) override {
        check(index, count() + 1);
        m_notebook.addPage(index, std::string(s));
    }
    void remove(int index) override {
        check(index, count());
        m_notebook.removePage(index);
    }
    void clear() override {
        while (count() > 0) m_notebook.removePage(count() - 1);
    }

private:
    void check(int index, int limit) const {
        if (index < 0 || index >= limit) indexError(index);
    }
    TNotebook& m_notebook;
};

const classes::ClassInfo& TNotebookPages::staticClass() {
    static const auto info =
        ClassBuilder<TNotebookPages>("TNotebookPages", classes::TStrings::staticClass()).factory({}).build();
    return *info;
}

const classes::ClassInfo& TPage::staticClass() {
    static const auto info = ClassBuilder<TPage>("TPage", TCustomControl::staticClass())
                                 .property("Caption", ct::string(), &TControl::caption,
                                           [](TPage& p, const std::string& v) { p.setCaption(v); })
                                 .build();
    return *info;
}

const classes::ClassInfo& TNotebook::staticClass() {
    static const auto info = [] {
        ClassBuilder<TNotebook> b("TNotebook", TCustomControl::staticClass());
        b.property("Pages", classes::TStrings::staticClass().typeInfo(), &TNotebook::pages,
                   &TNotebook::setPages,
                   {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("PageIndex", ct::integer(), &TNotebook::pageIndex, &TNotebook::setPageIndex,
                      {.defaultValue = 0})
            .property("ActivePage", ct::string(), &TNotebook::activePage,
                      [](TNotebook& n, const std::string& v) { n.setActivePage(v); },
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }});
        b.event("OnPageChanged", ct::notifyEvent(), &TNotebook::onPageChanged);
        return b.build();
    }();
    return *info;
}

// --- TPage ---

TPage::TPage(classes::TComponent* owner) : TCustomControl(owner) {
    m_controlStyle |= csAcceptsControls;
    setVisible(false);
    setAlign(alClient);
    setParentColor(true);
}

TNotebook* TPage::notebook() const { return dynamic_cast<TNotebook*>(parent()); }

void TPage::setParentComponent(classes::TComponent* p) {
    if (auto* book = dynamic_cast<TNotebook*>(p))
        book->adopt(this);
    else
        TCustomControl::setParentComponent(p);
}

// --- TNotebook ---

TNotebook::TNotebook(classes::TComponent* owner)
    : TCustomControl(owner), m_pageList(std::make_unique<TNotebookPages>(*this)) {
    // Pages are named in streams by their class, which the first notebook makes known.
    classes::ClassRegistry::registerClass(TPage::staticClass());
    m_controlStyle |= csAcceptsControls;
    setBounds(0, 0, 150, 150);
    setParentColor(true);
    addPage(0, "Default");
    showPage(0);
}

TNotebook::~TNotebook() = default;

classes::TStrings* TNotebook::pages() const { return m_pageList.get(); }

void TNotebook::setPages(classes::TStrings* pages) {
    if (pages) m_pageList->assign(*pages);
}

TPage* TNotebook::addPage(int index, const std::string& caption) {
    auto* p = new TPage(this);
    p->setCaption(caption);
    m_pages.insert(m_pages.begin() + index, p);
    p->setParent(this);
    if (m_pageIndex >= index && m_pageIndex >= 0) ++m_pageIndex;
    if (m_pageIndex < 0) showPage(index);
    return p;
}

void TNotebook::removePage(int index) {
    TPage* p = m_pages[static_cast<size_t>(index)];
    m_pages.erase(m_pages.begin() + index);
    // The page's controls go with it, whoever owns them, as a window's children do.
    while (p->controlCount() > 0) delete p->control(p->controlCount() - 1);
    delete p;
    if (m_pageIndex == index) {
        m_pageIndex = -1;
        if (!m_pages.empty()) showPage(std::min(index, pageCount() - 1));
    } else if (m_pageIndex > index) {
        --m_pageIndex;
    }
}

void TNotebook::adopt(TPage* page) {
    if (hasState(classes::ComponentState::Loading) && !m_streamPagesCleared) {
        m_streamPagesCleared = true;
        m_pageList->clear();
    }
    // The notebook owns its pages, whoever created them.
    if (page->owner() != this) insertComponent(page);
    m_pages.push_back(page);
    page->setParent(this);
    page->setVisible(false);
    if (m_pageIndex < 0) showPage(pageCount() - 1);
}

void TNotebook::showPage(int index) {
    for (int i = 0; i < pageCount(); ++i) page(i)->setVisible(i == index);
    m_pageIndex = index;
}

void TNotebook::setPageIndex(int index) {
    if (hasState(classes::ComponentState::Loading)) {
        m_loadedIndex = index;
        return;
    }
    if (index < 0 || index >= pageCount() || index == m_pageIndex) return;
    showPage(index);
    fireEvent(onPageChanged, {static_cast<classes::TObject*>(this)});
}

std::string TNotebook::activePage() const {
    return m_pageIndex >= 0 && m_pageIndex < pageCount() ? page(m_pageIndex)->caption() : std::string();
}

void TNotebook::setActivePage(const std::string& caption) {
    for (int i = 0; i < pageCount(); ++i)
        if (base::ansiSameText(page(i)->caption(), caption)) {
            setPageIndex(i);
            return;
        }
}

void TNotebook::getChildren(const std::function<void(classes::TComponent*)>& proc,
                            classes::TComponent*) const {
    for (TPage* p : m_pages) proc(p);
}

void TNotebook::setChildOrder(classes::TComponent* child, int order) {
    auto* p = dynamic_cast<TPage*>(child);
    auto it = std::find(m_pages.begin(), m_pages.end(), p);
    if (it == m_pages.end()) return;
    TPage* showing = m_pageIndex >= 0 ? page(m_pageIndex) : nullptr;
    m_pages.erase(it);
    order = std::clamp(order, 0, pageCount());
    m_pages.insert(m_pages.begin() + order, p);
    if (showing)
        m_pageIndex = static_cast<int>(std::find(m_pages.begin(), m_pages.end(), showing) - m_pages.begin());
}

void TNotebook::loaded() {
    TCustomControl::loaded();
    const int index = m_loadedIndex;
    m_loadedIndex = -1;
    if (index >= 0 && index < pageCount()) showPage(index);
}

}  // namespace vcl
