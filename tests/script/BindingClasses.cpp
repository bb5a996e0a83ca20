// Metadata of the binding test classes.
#include "BindingClasses.h"

#include <algorithm>

#include "classes/Errors.h"
#include "classes/TypeInfo.h"

namespace bindtest {

using namespace classes;

namespace {

const TypeInfo& alignType() {
    static const TypeInfo t = TypeInfo::enumeration("TTestAlign", {"taNone", "taLeft", "taRight"});
    return t;
}
const TypeInfo& styleType() {
    static const TypeInfo t = TypeInfo::enumeration("TTestStyle", {"tsBold", "tsItalic", "tsUnderline"});
    return t;
}
const TypeInfo& stylesType() {
    static const TypeInfo t = TypeInfo::set("TTestStyles", styleType());
    return t;
}
const TypeInfo& keyEventType() {
    static const TypeInfo t =
        TypeInfo::method("TTestKeyEvent", "procedure (Sender: TObject; var Key: Word; Shift: TTestStyles);");
    return t;
}
const TypeInfo& textEventType() {
    static const TypeInfo t = TypeInfo::method(
        "TTestTextEvent",
        "procedure (Sender: TObject; var Text: string; Scale: Double; var Accept: Boolean);");
    return t;
}

std::string describe(Set<TTestStyle> styles, const std::vector<Variant>& values) {
    std::string s;
    for (TTestStyle st : {tsBold, tsItalic, tsUnderline}) s += styles.contains(st) ? '1' : '0';
    for (const Variant& v : values) {
        s += ' ';
        switch (v.type()) {
        case Variant::Type::Integer:
        case Variant::Type::Int64: s.append("i").append(std::to_string(v.asInt64())); break;
        case Variant::Type::Double: s.append("d").append(std::to_string(int(v.asFloat() * 10))); break;
        case Variant::Type::Boolean: s += v.asBoolean() ? "true" : "false"; break;
        case Variant::Type::String: s.append("s").append(v.asString()); break;
        default: s += "?"; break;
        }
    }
    return s;
}

}  // namespace

const ClassInfo& TTestFont::staticClass() {
    static const auto info = ClassBuilder<TTestFont>("TTestFont", TPersistent::staticClass())
                                 .factory({})
                                 .property("Name", types::string(), &TTestFont::name, &TTestFont::setName)
                                 .property("Size", types::integer(), &TTestFont::size, &TTestFont::setSize)
                                 .build();
    return *info;
}

const ClassInfo& TTestWidget::staticClass() {
    static const auto info =
        ClassBuilder<TTestWidget>("TTestWidget", TComponent::staticClass())
            .property("Count", types::integer(), &TTestWidget::count, &TTestWidget::setCount)
            .property("Align", alignType(), &TTestWidget::align, &TTestWidget::setAlign)
            .property("Style", stylesType(), &TTestWidget::style, &TTestWidget::setStyle)
            .property("Caption", types::string(), &TTestWidget::caption, &TTestWidget::setCaption)
            .property("Ratio", types::doubleFloat(), &TTestWidget::ratio, &TTestWidget::setRatio)
            .property("Buddy", TComponent::staticClass().typeInfo(), &TTestWidget::buddy,
                      &TTestWidget::setBuddy)
            .readOnly("Font", TTestFont::staticClass().typeInfo(), &TTestWidget::font)
            .readOnly("Width", types::integer(), &TTestWidget::width)
            .event("OnClick", types::notifyEvent(), &TTestWidget::onClick)
            .event("OnKey", keyEventType(), &TTestWidget::onKey)
            .event("OnText", textEventType(), &TTestWidget::onText)
            .publicType("TTestRect", "record Left, Top, Right, Bottom: Integer; end")
            .publicProperty(
                "property Items[Index: Integer]: string; default;",
                [](const TTestWidget& w, int i) {
                    auto& items = const_cast<TTestWidget&>(w).items();
                    if (i < 0 || size_t(i) >= items.size())
                        throw EListError(format(msg::kListIndexError, {std::to_string(i)}));
                    return items[size_t(i)];
                },
                [](TTestWidget& w, int i, const std::string& v) {
                    if (i < 0) throw EListError(format(msg::kListIndexError, {std::to_string(i)}));
                    if (size_t(i) >= w.items().size()) w.items().resize(size_t(i) + 1);
                    w.items()[size_t(i)] = v;
                })
            .publicProperty(
                "property ItemCount: Integer;",
                [](const TTestWidget& w) { return int(const_cast<TTestWidget&>(w).items().size()); })
            .publicMethod("procedure AddItem(const S: string);",
                          [](TTestWidget& w, const std::string& s) { w.items().push_back(s); })
            .publicMethod("procedure Swap(var A, B: Integer);",
                          [](TTestWidget&, int& a, int& b) { std::swap(a, b); })
            .publicMethod("function Find(const S: string; var Index: Integer): Boolean;",
                          [](TTestWidget& w, std::string_view s, int& index) {
                              auto it = std::find(w.items().begin(), w.items().end(), s);
                              index = it == w.items().end() ? -1 : int(it - w.items().begin());
                              return index >= 0;
                          })
            .publicMethod("function Bounds: TTestRect;", &TTestWidget::bounds)
            .publicMethod("procedure SetBounds(const R: TTestRect);", &TTestWidget::setBounds)
            .publicMethod(
                "function Describe(Styles: TTestStyles; const Values: array of const): string;",
                [](TTestWidget&, Set<TTestStyle> s, const std::vector<Variant>& v) { return describe(s, v); })
            .publicMethod("procedure Click;", &TTestWidget::click)
            .publicMethod("procedure ClickAndCount;", &TTestWidget::clickAndCount)
            .publicProperty("property Poke: Integer;", &TTestWidget::pokes, &TTestWidget::poke)
            .publicMethod("procedure Fail(const Why: string);",
                          [](TTestWidget&, const std::string& why) { throw EListError(why); })
            .build();
    return *info;
}

TTestWidget::TTestWidget(TComponent* owner) : TComponent(owner), m_font(std::make_unique<TTestFont>(this)) {}

TTestWidget::~TTestWidget() = default;

void TTestWidget::click() {
    const TMethod handler = onClick;
    handler({static_cast<TObject*>(this)});
}

void TTestWidget::clickAndCount() {
    click();
    ++m_count;
    m_caption += "+";
}

void TTestWidget::poke(int32_t v) {
    click();
    m_pokes += v;
}

int64_t TTestWidget::key(int64_t key, uint64_t shift) {
    const TMethod handler = onKey;
    handler({static_cast<TObject*>(this), &key, int64_t(shift)});
    return key;
}

std::string TTestWidget::text(std::string text, double scale, bool& accept) {
    const TMethod handler = onText;
    handler({static_cast<TObject*>(this), &text, static_cast<long double>(scale), &accept});
    return text;
}

}  // namespace bindtest
