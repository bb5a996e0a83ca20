// THeader: a row of captioned sections whose widths the user may drag, the old header
// control. Its Sections keep a width beside each caption and are streamed through their
// own "Sections" property, each entry as #0 width #0 caption.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classes/TStrings.h"
#include "vcl/Controls.h"

namespace vcl {

class THeader;

class THeaderSections : public classes::TStrings {
public:
    CLASSES_OBJECT(THeaderSections)
    explicit THeaderSections(THeader* header) : m_header(header) {}

    int count() const override { return static_cast<int>(m_items.size()); }
    std::string get(int index) const override;
    void put(int index, std::string_view s) override;
    void insert(int index, std::string_view s) override;
    void remove(int index) override;
    void clear() override;
    int width(int index) const;
    void setWidth(int index, int width);

    static constexpr int kDefaultWidth = 64;

private:
    void check(int index, int limit) const;
    void changed();
    struct Section {
        std::string text;
        int width = kDefaultWidth;
    };
    THeader* m_header;
    std::vector<Section> m_items;
};

class THeader : public TCustomControl {
public:
    CLASSES_OBJECT(THeader)
    explicit THeader(classes::TComponent* owner);
    ~THeader() override;

    THeaderSections* sections() const { return m_sections.get(); }
    void setSections(classes::TStrings* sections);
    // SectionWidth[i]; throws "List index out of bounds (%d)".
    int sectionWidth(int index) const { return m_sections->width(index); }
    void setSectionWidth(int index, int width) { m_sections->setWidth(index, width); }
    bool allowResize() const { return m_allowResize; }
    void setAllowResize(bool value) { m_allowResize = value; }
    TBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    // The section whose right edge lies within two pixels of x, or -1.
    int dividerAt(int x) const;

    // OnSizing while a divider is dragged, OnSized when it is let go: (Sender, ASection, AWidth).
    classes::TMethod onSizing, onSized;

    void mouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void mouseMove(TShiftState shift, int x, int y) override;
    void mouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
    void paint() override;

private:
    std::unique_ptr<THeaderSections> m_sections;
    bool m_allowResize = true;
    TBorderStyle m_borderStyle = bsSingle;
    int m_dragging = -1;
};

}  // namespace vcl
