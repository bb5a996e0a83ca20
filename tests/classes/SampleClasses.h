// Small component classes with one property of every kind, shared by the classes tests,
// the fuzzers and the benchmark.
#pragma once

#include "classes/ClassBuilder.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"
#include "classes/TStrings.h"

#include <memory>
#include <string>
#include <vector>

namespace sample {

using namespace classes;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

const TypeInfo& alignType();
const TypeInfo& fontStyleType();
const TypeInfo& fontStylesType();
const TypeInfo& keyEventType();

class TFont : public TPersistent {
public:
    CLASSES_OBJECT(TFont)
    std::string name() const { return m_name; }
    void setName(const std::string& n) { m_name = n; }
    int32_t height() const { return m_height; }
    void setHeight(int32_t h) { m_height = h; }
    int32_t color() const { return m_color; }
    void setColor(int32_t c) { m_color = c; }
    int32_t charset() const { return m_charset; }
    void setCharset(int32_t c) { m_charset = c; }
    uint32_t style() const { return m_style; }
    void setStyle(uint32_t s) { m_style = s; }
    void assign(const TPersistent& source) override;

private:
    std::string m_name = "MS Sans Serif";
    int32_t m_height = -11;
    int32_t m_color = static_cast<int32_t>(0x80000008);
    int32_t m_charset = 1;
    uint32_t m_style = 0;
};

class TItem : public TCollectionItem {
public:
    CLASSES_OBJECT(TItem)
    explicit TItem(TCollection* c) : TCollectionItem(c) {}
    std::string caption() const { return m_caption; }
    void setCaption(const std::string& s) { m_caption = s; }
    int32_t width() const { return m_width; }
    void setWidth(int32_t w) { m_width = w; }
    TComponent* link() const { return m_link; }
    void setLink(TComponent* c) { m_link = c; }

private:
    std::string m_caption;
    int32_t m_width = 50;
    TComponent* m_link = nullptr;
};

class TWidget : public TComponent {
public:
    CLASSES_OBJECT(TWidget)
    explicit TWidget(TComponent* owner);
    ~TWidget() override;

    int32_t left() const { return m_left; }
    void setLeft(int32_t v) { m_left = v; }
    int32_t top() const { return m_top; }
    void setTop(int32_t v) { m_top = v; }
    int32_t width() const { return m_width; }
    void setWidth(int32_t v) { m_width = v; }
    std::string caption() const { return m_caption; }
    void setCaption(const std::string& v) { m_caption = v; }
    int32_t color() const { return m_color; }
    void setColor(int32_t v) { m_color = v; }
    int32_t cursor() const { return m_cursor; }
    void setCursor(int32_t v) { m_cursor = v; }
    bool visible() const { return m_visible; }
    void setVisible(bool v) { m_visible = v; }
    TAlign align() const { return m_align; }
    void setAlign(TAlign a) { m_align = a; }
    TFont* font() const { return m_font.get(); }
    void setFont(TFont* f);
    TStrings* lines() const { return m_lines.get(); }
    void setLines(TStrings* s);
    TCollection* items() const { return m_items.get(); }
    TComponent* buddy() const { return m_buddy; }
    void setBuddy(TComponent* c);
    long double ratio() const { return m_ratio; }
    void setRatio(long double r) { m_ratio = r; }
    float scale() const { return m_scale; }
    void setScale(float s) { m_scale = s; }
    long double price() const { return m_price; }
    void setPrice(long double p) { m_price = p; }
    long double stamp() const { return m_stamp; }
    void setStamp(long double d) { m_stamp = d; }
    std::u16string hint() const { return m_hint; }
    void setHint(const std::u16string& h) { m_hint = h; }
    Variant data() const { return m_data; }
    void setData(const Variant& v) { m_data = v; }
    int64_t big() const { return m_big; }
    void setBig(int64_t v) { m_big = v; }
    char accel() const { return m_accel; }
    void setAccel(char c) { m_accel = c; }
    TMethod onClick() const { return m_onClick; }
    void setOnClick(const TMethod& m) { m_onClick = m; }
    TMethod onKey() const { return m_onKey; }
    void setOnKey(const TMethod& m) { m_onKey = m; }
    int32_t readOnlyValue() const { return 7; }

    TComponent* parentWidget() const { return m_parent; }
    const std::vector<TWidget*>& children() const { return m_children; }
    std::string picture;  // "Picture.Data"-like defined property payload
    int loadedCalls = 0;
    static std::vector<std::string>* loadedLog;

    void setParentComponent(TComponent* parent) override;
    TComponent* parentComponent() const override { return m_parent; }
    bool hasParent() const override { return m_parent != nullptr; }
    void setChildOrder(TComponent* child, int order) override;
    void getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const override;
    void loaded() override;
    void notification(TComponent* c, Operation op) override;

private:
    int32_t m_left = 0, m_top = 0, m_width = 0;
    std::string m_caption;
    int32_t m_color = static_cast<int32_t>(0x8000000F);
    int32_t m_cursor = 0;
    bool m_visible = true;
    TAlign m_align = TAlign::alNone;
    std::unique_ptr<TFont> m_font = std::make_unique<TFont>();
    std::unique_ptr<TStringList> m_lines = std::make_unique<TStringList>();
    std::unique_ptr<TCollection> m_items;
    TComponent* m_buddy = nullptr;
    long double m_ratio = 0;
    float m_scale = 0;
    long double m_price = 0;
    long double m_stamp = 0;
    std::u16string m_hint;
    Variant m_data;
    int64_t m_big = 0;
    char m_accel = 0;
    TMethod m_onClick, m_onKey;
    TWidget* m_parent = nullptr;
    std::vector<TWidget*> m_children;
};

// A form-like root: publishes a method and lists TWidget as a field class.
class TSampleForm : public TWidget {
public:
    CLASSES_OBJECT(TSampleForm)
    explicit TSampleForm(TComponent* owner) : TWidget(owner) {}
    int clicks = 0;
};

// A component whose constructor always fails.
class TBroken : public TComponent {
public:
    CLASSES_OBJECT(TBroken)
    explicit TBroken(TComponent* owner);
};

// Registers the sample classes (idempotent).
void registerSampleClasses();

}  // namespace sample
