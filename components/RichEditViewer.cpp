#include "components/RichEditViewer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "classes/ClassBuilder.h"
#include "components/qt/RtfReader.h"
#include "platform/Process.h"
#include "vcl/WindowHandle.h"

namespace components {

namespace qt {
std::unique_ptr<vcl::WindowHandle> createRichViewHandle(TRichEditViewer& viewer);
}

namespace {

namespace ct = classes::types;
using classes::ClassBuilder;

TRichEditViewer::LinkOpener& opener() {
    static TRichEditViewer::LinkOpener f = [](const std::string& target) {
        platform::openWithDesktop(target);
    };
    return f;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "file:///a%20b" and "file:/a" as a local path; empty when it names another host.
std::string localPathOf(std::string_view url) {
    std::string_view rest = url.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return {};
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !base::asciiSameText(host, "localhost")) return {};
        rest.remove_prefix(slash);
    }
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() + 0 && hexDigit(rest[i + 1]) >= 0 &&
            hexDigit(rest[i + 2]) >= 0) {
            path += static_cast<char>(hexDigit(rest[i + 1]) * 16 + hexDigit(rest[i + 2]));
            i += 2;
        } else if (rest[i] == '?' || rest[i] == '#') {
            break;
        } else {
            path += rest[i];
        }
    }
    return path;
}

}  // namespace

std::optional<std::string> richTextLinkTarget(std::string_view url) {
    // Control characters and spaces around an address are never part of it; inside, they
    // would let a "link" smuggle arguments to the opener.
    while (!url.empty() && static_cast<unsigned char>(url.front()) <= ' ') url.remove_prefix(1);
    while (!url.empty() && static_cast<unsigned char>(url.back()) <= ' ') url.remove_suffix(1);
    if (url.empty()) return std::nullopt;
    for (char c : url)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) return std::nullopt;
    for (std::string_view scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (base::ansiStartsWithText(url, scheme) && url.size() > scheme.size()) return std::string(url);
    if (base::ansiStartsWithText(url, "file:")) {
        const std::string path = localPathOf(url);
        if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
        // A program would run rather than open.
        if (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) return std::nullopt;
        return path;
    }
    return std::nullopt;
}

TRichEditViewer::TRichEditViewer(classes::TComponent* owner) : vcl::TMemo(owner) { setReadOnly(true); }

void TRichEditViewer::setLinkOpener(LinkOpener f) {
    opener() = f ? std::move(f) : [](const std::string& target) { platform::openWithDesktop(target); };
}

void TRichEditViewer::linkClicked(const std::string& url) {
    if (const auto target = richTextLinkTarget(url)) opener()(*target);
}

void TRichEditViewer::setUseRichEdit(bool value) {
    if (value == m_useRichEdit) return;
    m_useRichEdit = value;
    recreateWindow();
    // The new window reads RichText again, now as the switch says.
    if (!m_richText.empty()) load(m_richText);
}

void TRichEditViewer::recreateWindow() {
    if (!handleAllocated()) return;
    destroyHandle();
    handle();
    syncHandle();
}

void TRichEditViewer::setRichText(const std::string& value) {
    m_richText = value;
    load(value);
}

int TRichEditViewer::setRTFText(const std::string& value) { return load(value); }

int TRichEditViewer::load(const std::string& value) {
    m_shown = value;
    m_shownRich = m_useRichEdit && qt::isRichText(value);
    ++m_loads;
    // The text the memo side answers with (Lines, Text) is what the reader shows.
    if (m_shownRich) {
        const std::optional<std::string> plain = qt::rtfPlainText(value);
        if (plain)
            setText(base::CodePage::active().fromUtf8(*plain));
        else
            m_shownRich = false;  // unreadable as rich text: shown as it is
    }
    if (!m_shownRich) setText(value);
    syncHandle();
    return 0;
}

std::unique_ptr<vcl::WindowHandle> TRichEditViewer::createHandle() {
    if (!m_useRichEdit) return vcl::TMemo::createHandle();
    return qt::createRichViewHandle(*this);
}

const classes::ClassInfo& TRichEditViewer::staticClass() {
    static const auto info = [] {
        ClassBuilder<TRichEditViewer> b("TRichEditViewer", vcl::TMemo::staticClass());
        b.property("UseRichEdit", ct::boolean(), &TRichEditViewer::useRichEdit,
                   &TRichEditViewer::setUseRichEdit, {.defaultValue = 1});
        b.property("RichText", ct::string(), &TRichEditViewer::richText, &TRichEditViewer::setRichText);
        b.publicMethod("Function SetRTFText( const Value : String) : Integer", &TRichEditViewer::setRTFText);
        // Scripts cannot declare a property without a reader; reading it gives ''.
        b.publicProperty(
            "property RTFText : String", [](const TRichEditViewer&) { return std::string(); },
            [](TRichEditViewer& v, const std::string& value) { v.setRTFText(value); });
        return b.build();
    }();
    return *info;
}

}  // namespace components
