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
class TBits;
class TStream;
class TMemoryStream;
class TReader;
class TWriter;
class TypeInfo;
class ClassInfo;
class IdentTable;
struct ScriptMember;
class TMethod;
class Variant;
struct PropInfo;
struct DefinedProp;
struct MethodInfo;

}  // namespace classes
