// The rich-text viewer's window: a read-only text browser whose links go back to the
// model, which decides what may be opened.
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include "components/RichEditViewer.h"
#include "components/qt/RtfReader.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtText.h"

namespace components::qt {
namespace {

using vcl::qt::ColorUse;
using vcl::qt::QtHandle;
using vcl::qt::SyncScope;

class RichViewHandle final : public QtHandle {
public:
    explicit RichViewHandle(TRichEditViewer& viewer)
        : QtHandle(viewer, new QTextBrowser(vcl::qt::parentContainer(viewer)), Input::Bridged),
          m_viewer(viewer) {
        m_browser = static_cast<QTextBrowser*>(widget());
        m_browser->setReadOnly(true);
        m_browser->setOpenLinks(false);
        m_browser->setOpenExternalLinks(false);
        m_browser->setFrameShape(QFrame::StyledPanel);
        m_browser->viewport()->installEventFilter(link());
        auto* link = this->link();
        QObject::connect(m_browser, &QTextBrowser::anchorClicked, link, [link](const QUrl& url) {
            // The address as written, not as the toolkit would normalise it.
            const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
            link->with([&](vcl::TWinControl& c) { static_cast<TRichEditViewer&>(c).linkClicked(address); });
        });
    }

    void sync() override {
        SyncScope scope(*link());
        applyLook(ColorUse::Field);
        const vcl::TScrollStyle bars = m_viewer.scrollBars();
        m_browser->setVerticalScrollBarPolicy(
            bars == vcl::ssVertical || bars == vcl::ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        m_browser->setLineWrapMode(m_viewer.wordWrap() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        if (m_loaded && *m_loaded == m_viewer.loadCount()) return;
        m_loaded = m_viewer.loadCount();
        QTextDocument* document = m_browser->document();
        if (!m_viewer.shownAsRich() || !readRtf(m_viewer.shownText(), *document))
            m_browser->setPlainText(vcl::qt::toQString(m_viewer.shownText()));
        markAddresses(*document);
    }

private:
    TRichEditViewer& m_viewer;
    QTextBrowser* m_browser;
    std::optional<unsigned> m_loaded;
};

}  // namespace

std::unique_ptr<vcl::WindowHandle> createRichViewHandle(TRichEditViewer& viewer) {
    return std::make_unique<RichViewHandle>(viewer);
}

}  // namespace components::qt
