// Classes the binding tests drive from scripts: a component with a published property of
// every kind (integer, enumeration, set, string, float, object, sub-object, events), script
// members (an indexed default property, var parameters, a record result, array of const)
// and C++ entry points that raise its events the way controls do.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classes/ClassBuilder.h"
#include "classes/TComponent.h"

namespace bindtest {

using classes::TMethod;

enum class TTestAlign { taNone, taLeft, taRight };
enum TTestStyle { tsBold, tsItalic, tsUnderline };

struct TTestRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A sub-object: its widget owns and deletes it, so scripts may use but never free it.
class TTestFont : public classes::TPersistent {
public:
    CLASSES_OBJECT(TTestFont)
    explicit TTestFont(classes::TPersistent* owner) : m_owner(owner) {}
    std::string name() const { return m_name; }
    void setName(const std::string& n) { m_name = n; }
    int32_t size() const { return m_size; }
    void setSize(int32_t s) { m_size = s; }
    classes::TPersistent* persistentOwner() const override { return m_owner; }

private:
    classes::TPersistent* m_owner;
    std::string m_name = "Sans";
    int32_t m_size = 10;
};

class TTestWidget : public classes::TComponent {
public:
    CLASSES_OBJECT(TTestWidget)
    explicit TTestWidget(classes::TComponent* owner);
    ~TTestWidget() override;

    int32_t count() const { return m_count; }
    void setCount(int32_t v) { m_count = v; }
    TTestAlign align() const { return m_align; }
    void setAlign(TTestAlign a) { m_align = a; }
    uint32_t style() const { return m_style; }
    void setStyle(uint32_t s) { m_style = s; }
    std::string caption() const { return m_caption; }
    void setCaption(const std::string& c) { m_caption = c; }
    double ratio() const { return m_ratio; }
    void setRatio(double r) { m_ratio = r; }
    TTestWidget* buddy() const { return m_buddy; }
    void setBuddy(TTestWidget* b) { m_buddy = b; }
    TTestFont* font() const { return m_font.get(); }
    int32_t width() const { return 75; }

    std::vector<std::string>& items() { return m_items; }
    TTestRect bounds() const { return m_bounds; }
    void setBounds(const TTestRect& r) { m_bounds = r; }

    // Raise the events as a control does: through a copy of the handler, touching nothing
    // of the widget afterwards.
    void click();
    // Returns the key the handler left.
    int64_t key(int64_t key, uint64_t shift);
    // Returns the text the handler left; `accept` is written back.
    std::string text(std::string text, double scale, bool& accept);
    // Raise the click event and then go on using the widget, as much native code does.
    void clickAndCount();
    int32_t pokes() const { return m_pokes; }
    void poke(int32_t v);

    TMethod onClick, onKey, onText;

private:
    int32_t m_count = 0;
    TTestAlign m_align = TTestAlign::taNone;
    uint32_t m_style = 0;
    std::string m_caption;
    double m_ratio = 1;
    TTestWidget* m_buddy = nullptr;
    std::unique_ptr<TTestFont> m_font;
    std::vector<std::string> m_items;
    TTestRect m_bounds;
    int32_t m_pokes = 0;
};

}  // namespace bindtest

template <>
struct classes::RecordFields<bindtest::TTestRect>
    : classes::Fields<&bindtest::TTestRect::Left, &bindtest::TTestRect::Top, &bindtest::TTestRect::Right,
                      &bindtest::TTestRect::Bottom> {};
