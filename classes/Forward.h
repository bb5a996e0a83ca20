// Forward declarations of the classes layer, for headers that only pass pointers around.
#pragma once

namespace classes {

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TStrings;
class TStringList;
class TStream;
class TMemoryStream;
class TReader;
class TWriter;
class TypeInfo;
class ClassInfo;
class IdentTable;
class TMethod;
class Variant;
struct PropInfo;
struct DefinedProp;
struct MethodInfo;

}  // namespace classes
