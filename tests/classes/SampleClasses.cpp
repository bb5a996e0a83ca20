#include "SampleClasses.h"

#include "classes/Errors.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"

#include <algorithm>
#include <stdexcept>

namespace sample {

std::vector<std::string>* TWidget::loadedLog = nullptr;

const TypeInfo& alignType() {
    static const TypeInfo t =
        TypeInfo::enumeration("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
    return t;
}
const TypeInfo& fontStyleType() {
    static const TypeInfo t =
        TypeInfo::enumeration("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return t;
}
const TypeInfo& fontStylesType() {
    static const TypeInfo t = TypeInfo::set("TFontStyles", fontStyleType());
    return t;
}
const TypeInfo& keyEventType() {
    static const TypeInfo t = TypeInfo::method("TKeyEvent", "procedure (Sender: TObject; var Key: Word);");
    return t;
}

const ClassInfo& TFont::staticClass() {
    static const auto info =
        ClassBuilder<TFont>("TFont", TPersistent::staticClass())
            .property("Charset", types::fontCharset(), &TFont::charset, &TFont::setCharset)
            .property("Color", types::color(), &TFont::color, &TFont::setColor)
            .property("Height", types::integer(), &TFont::height, &TFont::setHeight)
            .property("Name", types::string(), &TFont::name, &TFont::setName)
            .property("Style", fontStylesType(), &TFont::style, &TFont::setStyle)
            .build();
    return *info;
}

void TFont::assign(const TPersistent& source) {
    if (auto* f = dynamic_cast<const TFont*>(&source)) {
        m_name = f->m_name;
        m_height = f->m_height;
        m_color = f->m_color;
        m_charset = f->m_charset;
        m_style = f->m_style;
        return;
    }
    TPersistent::assign(source);
}

const ClassInfo& TItem::staticClass() {
    static const auto info =
        ClassBuilder<TItem>("TItem", TCollectionItem::staticClass())
            .property("Caption", types::string(), &TItem::caption, &TItem::setCaption)
            .property("Width", types::integer(), &TItem::width, &TItem::setWidth, {.defaultValue = 50})
            .property("Link", TComponent::staticClass().typeInfo(), &TItem::link, &TItem::setLink)
            .build();
    return *info;
}

const ClassInfo& TWidget::staticClass() {
    static const auto info =
        ClassBuilder<TWidget>("TWidget", TComponent::staticClass())
            .property("Left", types::integer(), &TWidget::left, &TWidget::setLeft)
            .property("Top", types::integer(), &TWidget::top, &TWidget::setTop)
            .property("Width", types::integer(), &TWidget::width, &TWidget::setWidth, {.defaultValue = 0})
            .property("Caption", types::string(), &TWidget::caption, &TWidget::setCaption)
            .property("Color", types::color(), &TWidget::color, &TWidget::setColor,
                      {.defaultValue = static_cast<int32_t>(0x8000000F)})
            .property("Cursor", types::cursor(), &TWidget::cursor, &TWidget::setCursor, {.defaultValue = 0})
            .property("Visible", types::boolean(), &TWidget::visible, &TWidget::setVisible,
                      {.defaultValue = 1})
            .property("Align", alignType(), &TWidget::align, &TWidget::setAlign, {.defaultValue = 0})
            .property("Font", TFont::staticClass().typeInfo(), &TWidget::font, &TWidget::setFont)
            .property("Lines", TStrings::staticClass().typeInfo(), &TWidget::lines, &TWidget::setLines)
            .readOnly("Items", TCollection::staticClass().typeInfo(), &TWidget::items)
            .property("Buddy", TComponent::staticClass().typeInfo(), &TWidget::buddy, &TWidget::setBuddy)
            .property("Ratio", types::extended(), &TWidget::ratio, &TWidget::setRatio)
            .property("Scale", types::single(), &TWidget::scale, &TWidget::setScale)
            .property("Price", types::currency(), &TWidget::price, &TWidget::setPrice)
            .property("Stamp", types::dateTime(), &TWidget::stamp, &TWidget::setStamp)
            .property("Hint", types::wideString(), &TWidget::hint, &TWidget::setHint)
            .property("Data", types::variant(), &TWidget::data, &TWidget::setData)
            .property("Big", types::int64(), &TWidget::big, &TWidget::setBig, {.defaultValue = 0})
            .property("Accel", types::character(), &TWidget::accel, &TWidget::setAccel, {.defaultValue = 0})
            .property("OnClick", types::notifyEvent(), &TWidget::onClick, &TWidget::setOnClick)
            .property("OnKey", keyEventType(), &TWidget::onKey, &TWidget::setOnKey)
            .readOnly("Fixed", types::integer(), &TWidget::readOnlyValue)
            .defined(
                "PictureData", [](TWidget& w, TReader& r) { w.picture = r.readBinary(); },
                [](const TWidget& w, TWriter& wr) { wr.writeBinary(w.picture); },
                [](const TWidget& w) { return !w.picture.empty(); })
            .build();
    return *info;
}

TWidget::TWidget(TComponent* owner)
    : TComponent(owner), m_items(std::make_unique<TCollection>(TItem::staticClass(), this)) {}

TWidget::~TWidget() {
    setParentComponent(nullptr);
    for (TWidget* c : m_children) c->m_parent = nullptr;
}

// Object setters copy the contents and must cope with nil, as a stream may hold "Font = nil".
void TWidget::setFont(TFont* f) {
    if (!f) throw EConvertError(format(msg::kAssignError, {"nil", "TFont"}));
    m_font->assign(*f);
}

void TWidget::setLines(TStrings* s) {
    if (!s) throw EConvertError(format(msg::kAssignError, {"nil", "TStrings"}));
    m_lines->assign(*s);
}

void TWidget::setBuddy(TComponent* c) {
    if (m_buddy) m_buddy->removeFreeNotification(this);
    m_buddy = c;
    if (c) c->freeNotification(this);
}

void TWidget::notification(TComponent* c, Operation op) {
    TComponent::notification(c, op);
    if (op == Operation::Remove && c == m_buddy) m_buddy = nullptr;
}

void TWidget::setParentComponent(TComponent* parent) {
    if (m_parent) {
        auto& list = static_cast<TWidget*>(m_parent)->m_children;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    m_parent = dynamic_cast<TWidget*>(parent);
    if (m_parent) static_cast<TWidget*>(m_parent)->m_children.push_back(this);
}

void TWidget::setChildOrder(TComponent* child, int order) {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return;
    TWidget* w = *it;
    m_children.erase(it);
    order = std::clamp(order, 0, static_cast<int>(m_children.size()));
    m_children.insert(m_children.begin() + order, w);
}

void TWidget::getChildren(const std::function<void(TComponent*)>& proc, TComponent* root) const {
    for (TWidget* c : m_children) proc(c);
    if (root == this) {
        for (TComponent* c : components()) {
            if (!c->hasParent()) proc(c);
        }
    }
}

void TWidget::loaded() {
    TComponent::loaded();
    ++loadedCalls;
    if (loadedLog) loadedLog->push_back(name());
}

const ClassInfo& TSampleForm::staticClass() {
    static const auto info =
        ClassBuilder<TSampleForm>("TSampleForm", TWidget::staticClass())
            .fieldClass(TWidget::staticClass())
            .method("Button1Click",
                    [](TSampleForm& f) {
                        return TMethod(reinterpret_cast<const void*>(&TSampleForm::staticClass), &f,
                                       [&f](std::span<const EventArg>) { ++f.clicks; });
                    })
            .build();
    return *info;
}

const ClassInfo& TBroken::staticClass() {
    static const auto info = ClassBuilder<TBroken>("TBroken", TComponent::staticClass()).build();
    return *info;
}

TBroken::TBroken(TComponent* owner) : TComponent(owner) { throw std::runtime_error("constructor failed"); }

void registerSampleClasses() {
    ClassRegistry::registerClasses({&TSampleForm::staticClass(), &TBroken::staticClass()});
}

}  // namespace sample
