// A read-only memo showing rich text, whose links open through the desktop. Text that is not
// rich text (no "{\rtf" header) shows as it is; addresses in the text become links too.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "vcl/Edits.h"

namespace components {

class TRichEditViewer : public vcl::TMemo {
public:
    CLASSES_OBJECT(TRichEditViewer)
    explicit TRichEditViewer(classes::TComponent* owner);

    bool useRichEdit() const { return m_useRichEdit; }
    // Switching recreates the window: a plain memo without, the rich view with.
    void setUseRichEdit(bool value);
    const std::string& richText() const { return m_richText; }
    void setRichText(const std::string& value);
    // Loads a text as RichText does without keeping it; 0 on success.
    int setRTFText(const std::string& value);

    // What the window shows: the last text loaded, and whether it is read as rich text.
    const std::string& shownText() const { return m_shown; }
    bool shownAsRich() const { return m_useRichEdit && m_shownRich; }
    // Counts loads, so the window knows when to read the text again.
    unsigned loadCount() const { return m_loads; }

    // A click on a link (the window's report): opens it when the link filter lets it through.
    void linkClicked(const std::string& url);

    // Opens a link's target (UTF-8); the desktop's opener unless a test replaces it.
    using LinkOpener = std::function<void(const std::string&)>;
    static void setLinkOpener(LinkOpener opener);

protected:
    std::unique_ptr<vcl::WindowHandle> createHandle() override;

private:
    int load(const std::string& value);
    void recreateWindow();

    bool m_useRichEdit = true;
    std::string m_richText;
    std::string m_shown;
    bool m_shownRich = false;
    unsigned m_loads = 0;
};

// What a link may open: web, file-transfer and mail addresses, and file: addresses of
// documents that exist (not programs). The target to hand to the opener, or nothing.
std::optional<std::string> richTextLinkTarget(std::string_view url);

}  // namespace components
