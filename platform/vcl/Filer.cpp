// The form stream's binary properties: names, the value type and counted bytes.
#include "platform/vcl/Filer.h"

#include <cstdint>

namespace {

constexpr BYTE vaBinary = 10;

}  // namespace

void TWriter::WriteProperties(TPersistent* Instance) {
  DefinePropertiesOf(Instance, this);
  const BYTE end = 0;
  FStream->WriteBuffer(&end, 1);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc&, const TStreamProc& WriteData,
                                   bool HasData) {
  if (!HasData) return;
  if (Name.empty() || Name.size() > 255) throw EWriteError("Stream write error");
  TMemoryStream value;
  WriteData(&value);
  if (value.GetSize() > INT32_MAX) throw EWriteError("Stream write error");
  const BYTE length = static_cast<BYTE>(Name.size());
  const std::int32_t size = static_cast<std::int32_t>(value.GetSize());
  FStream->WriteBuffer(&length, 1);
  FStream->WriteBuffer(Name.data(), length);
  FStream->WriteBuffer(&vaBinary, 1);
  FStream->WriteBuffer(&size, 4);
  FStream->WriteBuffer(value.GetMemory(), size);
}

void TReader::ReadProperties(TPersistent* Instance) {
  for (;;) {
    BYTE length = 0;
    FStream->ReadBuffer(&length, 1);
    if (length == 0) return;
    FPropName.assign(length, '\0');
    FStream->ReadBuffer(FPropName.data(), length);
    BYTE type = 0;
    std::int32_t size = 0;
    FStream->ReadBuffer(&type, 1);
    if (type != vaBinary) throw EReadError("Invalid property value");
    FStream->ReadBuffer(&size, 4);
    if (size < 0 || size > FStream->GetSize() - FStream->GetPosition()) throw EReadError("Stream read error");
    TMemoryStream value;
    if (size > 0) value.CopyFrom(FStream, size);  // a count of 0 would copy the whole stream
    value.SetPosition(0);
    FValue = &value;
    FFound = false;
    DefinePropertiesOf(Instance, this);
    FValue = nullptr;
    if (!FFound) throw EReadError(Format("Property %s does not exist", FPropName.c_str()));
  }
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (FFound || Name != FPropName) return;
  FFound = true;
  ReadData(FValue);
}
