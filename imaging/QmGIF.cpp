// TGIFImage: the image model with its shared data, the stream reader and lazy frame decoding.
#include "imaging/QmGIFCodec.h"

void RaiseGifError(const AnsiString& Message) { throw EInvalidGraphicOperation(Message); }
