#include "toolkit/object.h"

void TObject::Dispatch(TWindowMessage& message) {
  const uint16_t number = static_cast<uint16_t>(message.Msg);
  if (number != 0 && number < 0xC000) {
    for (const MessageTable* table = Messages(); table; table = table->base) {
      for (size_t i = 0; i < table->count; ++i) {
        if (table->entries[i].message == number) {
          table->entries[i].handler(this, message);
          return;
        }
      }
    }
  }
  DefaultHandler(message);
}
