#include "pipeline/messages.h"

std::u16string NotFoundMessage(std::u16string_view file_name) {
  return u" را پيدا نكردم، اين فايل بايد در كنار من باشد!\u200f " +
         std::u16string(file_name) + u" فايل ";
}

std::u16string WrongCharsetMessage(std::u16string_view label) {
  return u"charset=" + std::u16string(label) +
         u" باشد، نه charset=windows-1256 بايد Template.htm در فايل";
}

std::u16string ReportMessage(std::u16string_view header,
                             std::u16string_view report) {
  return std::u16string(header) + u"\r\n\r\n" + std::u16string(report);
}
