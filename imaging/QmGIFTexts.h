// The messages QmGIF raises, as the program's string table holds them (number in the comment).
#pragma once

inline constexpr const char* SGIFVersion = "Неизвестная версия изображения GIF";                     // 61092
inline constexpr const char* SGIFEncodeError = "Ошибка кодировки данных в формат GIF";               // 61093
inline constexpr const char* SGIFDecodeError = "Неверные данные в формате GIF";                      // 61094
inline constexpr const char* SGIFCodeSize = "Размер кода GIF не принадлежит диапазону от 2 до 9";    // 61095
inline constexpr const char* SWrongGIFColors = "Неверное число цветов; должно быть степенью числа 2";  // 61096
inline constexpr const char* SBadGIFExtension = "Неопределенное расширение GIF: %.2x";               // 61097
inline constexpr const char* SNoGIFData = "Нет данных для записи в формате GIF";                     // 61098
inline constexpr const char* SGIFNoResize = "Невозможно изменить размер изображения GIF";            // 61099
inline constexpr const char* SGIFImage = "CompuServe GIF Image";                                     // 61100
inline constexpr const char* SReadError = "Stream read error";                                       // 65523
