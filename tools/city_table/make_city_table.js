#!/usr/bin/env node
// Makes savers/waterfall/CityTable.cpp and its licence notice from the gazetteer package and
// the tz database. Usage: make_city_table.js <cities1000 package dir> <zoneinfo dir> <output dir>
'use strict';

const fs = require('fs');
const path = require('path');
const {StandardOffsets} = require('./tz_offsets');
const {readPlaces, candidateRows} = require('./gazetteer');
const {selectTable, figures, LONGEST_NAME} = require('./selection');
const {cityTableSource, licenceNotice} = require('./table_source');

function main([packageDir, zoneinfoDir, outputDir]) {
  if (!outputDir) throw new Error('usage: make_city_table.js <cities1000 package dir> <zoneinfo dir> <output dir>');
  const manifest = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'), 'utf8'));
  const offsets = new StandardOffsets(zoneinfoDir);
  const places = readPlaces(path.join(packageDir, 'cities1000.txt'));
  const table = selectTable(candidateRows(places, offsets, LONGEST_NAME));
  const sources = {
    data: `${manifest.name} ${manifest.version}`, description: manifest.description,
    tzdata: offsets.version(), rows: table.length,
  };
  fs.writeFileSync(path.join(outputDir, 'CityTable.cpp'), cityTableSource(table, sources));
  const licenceText = fs.readFileSync(path.join(packageDir, 'LICENSE'), 'utf8');
  fs.writeFileSync(path.join(outputDir, 'CityTable-LICENSE.txt'), licenceNotice(sources, licenceText));
  console.log(JSON.stringify(figures(table)));
}

try {
  main(process.argv.slice(2));
} catch (error) {
  console.error(`make_city_table: ${error.message}`);
  process.exit(1);
}
