// Streaming of the properties an object stores itself: the binary properties that pictures and
// lists define in DefineProperties, written into a form's stream and read back from it.
#pragma once

#include <functional>

#include "platform/vcl/Classes.h"

using TStreamProc = std::function<void(TStream* Stream)>;

// Reads or writes one object's own properties on a stream.
class TFiler : public TObject {
 public:
  explicit TFiler(TStream* Stream) : FStream(Stream) {}
  // The inherited form's counterpart of the object being filed; null when there is none.
  TPersistent* GetAncestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  // A property whose value is bytes: read through ReadData, written through WriteData when
  // HasData says it is to be stored.
  virtual void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                    bool HasData) = 0;

 protected:
  static void DefinePropertiesOf(TPersistent* Instance, TFiler* Filer) { Instance->DefineProperties(Filer); }
  TStream* FStream;

 private:
  TPersistent* FAncestor = nullptr;
};

// Writes each binary property that is to be stored as its name (a length byte and the
// characters), the value type vaBinary, the 32-bit byte count and the bytes; a 0 byte ends the
// object's properties.
class TWriter : public TFiler {
 public:
  using TFiler::TFiler;
  void WriteProperties(TPersistent* Instance);
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;
};

// Reads what TWriter wrote and hands each value to the property of its name. A name the object
// does not define raises EReadError "Property %s does not exist"; a damaged or short value,
// EReadError "Stream read error" or "Invalid property value".
class TReader : public TFiler {
 public:
  using TFiler::TFiler;
  void ReadProperties(TPersistent* Instance);
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

 private:
  AnsiString FPropName;
  TStream* FValue = nullptr;
  bool FFound = false;
};
