// The gazetteer's populated places as candidate table rows: name in the table's form, position
// in whole arc-minutes, standard offset in whole hours, population to rank them by.
'use strict';

const fs = require('fs');

// The table's country codes are ISO 3166 alpha-2 but for two that the table has always used;
// the countries whose ISO codes those are would read as the wrong country and stay out.
const COUNTRY_CODES = {DE: 'GE', NL: 'NE', GE: null, NE: null};

// Cities of the United States, Canada and Australia carry their state or province. States keep
// their postal codes but Hawaii, which the table writes HAW; the gazetteer numbers the
// Canadian provinces and the Australian states.
const CANADIAN_PROVINCES = {
  '01': 'AB', '02': 'BC', '03': 'MB', '04': 'NB', '05': 'NL', '07': 'NS', '08': 'ON',
  '09': 'PE', '10': 'QC', '11': 'SK', '12': 'YT', '13': 'NT', '14': 'NU',
};
const AUSTRALIAN_STATES = {
  '01': 'ACT', '02': 'NSW', '03': 'NT', '04': 'QLD', '05': 'SA', '06': 'TAS', '07': 'VIC', '08': 'WA',
};
const REGIONS = {
  US: admin1 => (admin1 === 'HI' ? 'HAW' : /^[A-Z]{2}$/.test(admin1) ? admin1 : undefined),
  CA: admin1 => CANADIAN_PROVINCES[admin1],
  AU: admin1 => AUSTRALIAN_STATES[admin1],
};
const REGION_COUNTRIES = new Set(Object.keys(REGIONS));

// Neighbourhoods of other places and places that are gone are not cities of their own.
const CITY_FEATURES = new Set(['PPL', 'PPLA', 'PPLA2', 'PPLA3', 'PPLA4', 'PPLC', 'PPLF', 'PPLG', 'PPLL', 'PPLR', 'PPLS']);

// The city part of a name: capitals, blanks, apostrophes, hyphens and full stops.
const CITY_PART = /^[A-Z][A-Z' .-]*$/;

function arcMinutes(degrees) {
  return Math.round(degrees * 60);
}

function tableName(city, region, country) {
  return city + (region ? `(${region})` : '') + ' ' + country;
}

// The rows of the gazetteer's tab-separated file, as far as the table uses them.
function readPlaces(file) {
  const places = [];
  for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    if (!line) continue;
    const f = line.split('\t');
    if (f.length < 18) throw new Error(`${file}: a row with ${f.length} fields: ${line.slice(0, 60)}`);
    places.push({
      id: Number(f[0]), asciiName: f[2], lat: Number(f[4]), lng: Number(f[5]), feature: f[7],
      country: f[8], admin1: f[10], population: Number(f[14]) || 0, zone: f[17],
    });
  }
  return places;
}

// Each place that can be a row: a city with a name the table can write, a country code of the
// scheme, a region where its country has them, and a whole-hour standard offset. Rows in the
// table's name form whose city part (accents already transliterated by the gazetteer) holds
// other characters, or that are longer than maxNameLength, are left out.
function candidateRows(places, offsets, maxNameLength) {
  const rows = [];
  for (const place of places) {
    if (!CITY_FEATURES.has(place.feature)) continue;
    const country = place.country in COUNTRY_CODES ? COUNTRY_CODES[place.country] : place.country;
    if (!country || !/^[A-Z]{2}$/.test(country)) continue;
    const region = REGION_COUNTRIES.has(place.country) ? REGIONS[place.country](place.admin1) : '';
    if (region === undefined) continue;
    const city = place.asciiName.toUpperCase();
    if (!CITY_PART.test(city)) continue;
    const name = tableName(city, region, country);
    if (name.length > maxNameLength) continue;
    const seconds = offsets.secondsEast(place.zone);
    if (seconds === null || seconds % 3600 !== 0) continue;
    rows.push({
      name, country, hasRegion: region !== '', population: place.population, id: place.id,
      latMinutes: arcMinutes(place.lat), lngMinutes: arcMinutes(place.lng), ofUTC: seconds / 3600,
    });
  }
  return rows;
}

module.exports = {readPlaces, candidateRows, REGION_COUNTRIES};
