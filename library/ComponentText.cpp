#include "library/ComponentText.h"

#include "classes/Streams.h"
#include "classes/TComponent.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"

namespace library {

std::string ComponentToString(classes::TComponent& component) {
    classes::TMemoryStream stream;
    {
        classes::TWriter writer(stream);
        writer.writeRootComponent(component);
    }
    return classes::binaryToText(stream.bytes());
}

std::unique_ptr<classes::TComponent> StringToComponent(std::string_view text) {
    classes::TMemoryStream stream;
    stream.setBytes(classes::textToBinary(text));
    classes::TReader reader(stream);
    return std::unique_ptr<classes::TComponent>(reader.readRootComponent(nullptr));
}

}  // namespace library
