// Components as text for scripts: the text form of the component stream a component writes,
// and a new component read back from such a text. Both fail loudly (base::Error subclasses
// carrying the stream's message), as scripts expect a script error from them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace classes {
class TComponent;
}

namespace library {

// The component with its published properties and owned children, as "object Name: TClass ... end".
std::string ComponentToString(classes::TComponent& component);
// A new component, without owner, read from a text form; its class and its children's
// classes must be registered. Throws classes::TextFormError for bad text and
// classes::EReadError ("Class TFoo not found", ...) for a stream that cannot be read.
std::unique_ptr<classes::TComponent> StringToComponent(std::string_view text);

}  // namespace library
