// Writes the table as C++ source and the data's licence notice beside it.
'use strict';

// The shortest decimal that reads back as the 32-bit float nearest to the arc-minutes, so the
// source shows 50.783333f rather than 50.7833328f.
function floatLiteral(arcMinutes) {
  const value = Math.fround(arcMinutes / 60);
  for (let digits = 1; digits <= 9; ++digits) {
    const text = value.toPrecision(digits);
    if (text.includes('e') || Math.fround(Number(text)) !== value) continue;
    return (text.includes('.') ? text : text + '.0') + 'f';
  }
  throw new Error(`no float literal for ${arcMinutes} arc-minutes`);
}

function cityTableSource(table, sources) {
  const lines = [
    `// The waterfall's city table. Made by tools/city_table (target regenerate_city_table) from`,
    `// ${sources.data} and tzdata ${sources.tzdata}; the data's licence is in CityTable-LICENSE.txt.`,
    `// Do not edit: run the tool again.`,
    `#include "savers/waterfall/CityTable.h"`,
    ``,
    `const std::array<TCity, CityCount> CityTable = {{`,
  ];
  for (const row of table)
    lines.push(`    {"${row.name}", ${floatLiteral(row.latMinutes)}, ${floatLiteral(row.lngMinutes)}, ${row.ofUTC}},`);
  lines.push(`}};`, ``);
  return lines.join('\n');
}

function licenceNotice(sources, licenceText) {
  return [
    `The city table in CityTable.cpp is made from these data:`,
    ``,
    `${sources.data} (npm package), "${sources.description}":`,
    `copyright geonames.org, licensed under Creative Commons Attribution 3.0 (CC BY 3.0),`,
    `http://creativecommons.org/licenses/by/3.0/`,
    `Changed: a selection of ${sources.rows} places; names in capitals from the data's ASCII names,`,
    `with a region and a country code; coordinates rounded to whole arc-minutes; ten rows with`,
    `values of their own.`,
    ``,
    `tzdata ${sources.tzdata} (the tz database, public domain): the standard-time offsets of the`,
    `places' time zones.`,
    ``,
    `The licence text as the package ships it:`,
    ``,
    licenceText,
  ].join('\n');
}

module.exports = {cityTableSource, licenceNotice};
