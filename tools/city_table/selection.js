// Which cities make the table, and their order: the telling rows at their fixed places, the
// stretches between them filled with the most populous candidates, sorted by name.
'use strict';

const TABLE_SIZE = 3937;
const REGION_NAMES = 1847;   // names that carry a region: about half the table
const COUNTRY_COUNT = 93;
const LONGEST_NAME = 27;     // fits the setup dialog's city list
const OFFSET_RANGE = [-10, 12];

// Degrees and minutes to signed arc-minutes; the minutes take the degrees' sign.
function arc(degrees, minutes) {
  return degrees * 60 + (degrees < 0 ? -minutes : minutes);
}

// Rows whose places and values are fixed: a stored city is its index, and these are the rows
// known by theirs. The four extreme ones bound every other row's position.
const TELLING_ROWS = [
  {index: 0, name: 'AACHEN GE', latMinutes: arc(50, 47), lngMinutes: arc(6, 6), ofUTC: 1},
  {index: 346, name: 'BERGEN OP ZOOM NE', latMinutes: arc(51, 30), lngMinutes: arc(4, 19), ofUTC: 1},
  {index: 347, name: 'BERGEN NO', latMinutes: arc(60, 24), lngMinutes: arc(5, 22), ofUTC: 1},
  {index: 1283, name: 'GISBORNE NZ', latMinutes: arc(-37, 20), lngMinutes: arc(178, 8), ofUTC: 12},
  {index: 2015, name: 'LONDON GB', latMinutes: arc(51, 32), lngMinutes: arc(0, 5), ofUTC: 0},
  {index: 2359, name: 'MURMANSK RU', latMinutes: arc(68, 50), lngMinutes: arc(33, 10), ofUTC: 2},
  {index: 2850, name: 'PUNTA ARENAS CL', latMinutes: arc(-52, 51), lngMinutes: arc(-69, 12), ofUTC: -4},
  {index: 3514, name: 'TOKYO JP', latMinutes: arc(35, 40), lngMinutes: arc(139, 45), ofUTC: 9},
  {index: 3720, name: 'WAIPAHU(HAW) US', latMinutes: arc(21, 20), lngMinutes: arc(-157, 58), ofUTC: -10},
  {index: 3936, name: 'ZWOLLE NE', latMinutes: arc(52, 31), lngMinutes: arc(6, 4), ofUTC: 1},
];
const EXTREMES = {
  north: 'MURMANSK RU', south: 'PUNTA ARENAS CL', west: 'WAIPAHU(HAW) US', east: 'GISBORNE NZ',
};

// The only places where the order leaves character order: a longer name stored right before
// the shorter one it begins with. Names that would fall between a pair stay out.
const SWAPPED_PAIRS = [
  ['BERGEN OP ZOOM NE', 'BERGEN NO'],
  ['CASTRO VALLEY(CA) US', 'CASTRO CL'],
];

// Places closer than this to a more populous one share its sun times; they would only crowd
// the list around the big cities.
const SPACING_KM = 12;

const countryOf = name => name.slice(-2);
const hasRegion = name => name.includes('(');
const byName = (a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0);
const byPopulation = (a, b) => b.population - a.population || a.id - b.id;

function tellingRow(name) {
  return TELLING_ROWS.find(row => row.name === name);
}

// Inside the extremes, the offset range and the first and last telling rows' names, not a
// telling row and not between a swapped pair.
function admissible(candidates) {
  const [first, last] = [TELLING_ROWS[0], TELLING_ROWS[TELLING_ROWS.length - 1]];
  const [north, south, west, east] = ['north', 'south', 'west', 'east'].map(side => tellingRow(EXTREMES[side]));
  const telling = new Set(TELLING_ROWS.map(row => row.name));
  return candidates.filter(row =>
    row.latMinutes < north.latMinutes && row.latMinutes > south.latMinutes &&
    row.lngMinutes > west.lngMinutes && row.lngMinutes < east.lngMinutes &&
    row.ofUTC >= OFFSET_RANGE[0] && row.ofUTC <= OFFSET_RANGE[1] &&
    row.name > first.name && row.name < last.name && !telling.has(row.name) &&
    !SWAPPED_PAIRS.some(([longer, shorter]) => row.name > shorter && row.name < longer));
}

// Of several places that would carry one name, or lie near each other, the most populous; the
// swapped pairs stay whatever lies near them.
function spacedOut(candidates) {
  const kept = new Map();
  const spacing = new Spacing([...TELLING_ROWS, ...pairRows(candidates)]);
  for (const row of [...candidates].sort(byPopulation))
    if (!kept.has(row.name) && (isPaired(row.name) || spacing.admit(row))) kept.set(row.name, row);
  return [...kept.values()];
}

const isPaired = name => SWAPPED_PAIRS.some(pair => pair.includes(name));
const pairRows = rows => rows.filter(row => isPaired(row.name));

// The rows kept so far on a grid of one-degree cells, to find a near one quickly.
class Spacing {
  constructor(rows) {
    this.cells = new Map();
    rows.forEach(row => this.add(row));
  }

  static key(latCell, lngCell) {
    return `${latCell},${lngCell}`;
  }

  add(row) {
    const key = Spacing.key(Math.floor(row.latMinutes / 60), Math.floor(row.lngMinutes / 60));
    if (!this.cells.has(key)) this.cells.set(key, []);
    this.cells.get(key).push(row);
  }

  // Keeps the row unless a kept one lies within the spacing. Inside the table's latitudes a
  // cell is at least 40 km wide, so the neighbouring cells hold every row that near.
  admit(row) {
    const [latCell, lngCell] = [Math.floor(row.latMinutes / 60), Math.floor(row.lngMinutes / 60)];
    for (let dLat = -1; dLat <= 1; ++dLat)
      for (let dLng = -1; dLng <= 1; ++dLng)
        for (const other of this.cells.get(Spacing.key(latCell + dLat, lngCell + dLng)) || [])
          if (distanceKm(row, other) < SPACING_KM) return false;
    this.add(row);
    return true;
  }
}

// Great-circle distance between two rows' positions.
function distanceKm(a, b) {
  const rad = minutes => (minutes / 60) * (Math.PI / 180);
  const [latA, latB] = [rad(a.latMinutes), rad(b.latMinutes)];
  const h = Math.sin((latB - latA) / 2) ** 2 +
      Math.cos(latA) * Math.cos(latB) * Math.sin((rad(b.lngMinutes) - rad(a.lngMinutes)) / 2) ** 2;
  return 2 * 6371 * Math.asin(Math.sqrt(h));
}

// The telling rows' countries, the countries with regions, then the others whose candidate
// cities hold the most inhabitants, up to the table's count.
function chosenCountries(candidates) {
  const chosen = new Set([...TELLING_ROWS.map(row => countryOf(row.name)), ...candidates.filter(r => r.hasRegion).map(r => r.country)]);
  const inhabitants = new Map();
  for (const row of candidates) inhabitants.set(row.country, (inhabitants.get(row.country) || 0) + row.population);
  const ranked = [...inhabitants.entries()].sort((a, b) => b[1] - a[1] || (a[0] < b[0] ? -1 : 1));
  for (const [country] of ranked) {
    if (chosen.size >= COUNTRY_COUNT) break;
    chosen.add(country);
  }
  return chosen;
}

// Rows that must be in the table besides the telling ones: both halves of each swapped pair
// and every chosen country's most populous city.
function pinnedRows(candidates) {
  const pinned = new Map();
  for (const name of SWAPPED_PAIRS.flat()) {
    if (tellingRow(name)) continue;
    const row = candidates.find(r => r.name === name);
    if (!row) throw new Error(`${name}, one of a swapped pair, is not among the candidates`);
    pinned.set(name, row);
  }
  const largest = new Map();
  for (const row of [...candidates].sort(byPopulation))
    if (!largest.has(row.country)) largest.set(row.country, row);
  for (const row of largest.values()) pinned.set(row.name, row);
  return pinned;
}

// Splits total over the stretches in proportion to their weights, whole numbers that add up
// (largest remainders first, earlier stretches first among equals).
function apportion(total, weights) {
  const sum = weights.reduce((a, b) => a + b, 0);
  const exact = weights.map(w => (sum ? (total * w) / sum : 0));
  const shares = exact.map(Math.floor);
  let left = total - shares.reduce((a, b) => a + b, 0);
  const order = exact.map((x, i) => [x - Math.floor(x), i]).sort((a, b) => b[0] - a[0] || a[1] - b[1]);
  for (const [, i] of order) {
    if (left-- <= 0) break;
    shares[i]++;
  }
  return shares;
}

// The stretches between consecutive telling rows: how many rows each holds and the candidates
// whose names fall inside it.
function stretches(candidates, pinned) {
  const result = [];
  for (let i = 0; i + 1 < TELLING_ROWS.length; ++i) {
    const [after, before] = [TELLING_ROWS[i], TELLING_ROWS[i + 1]];
    const inside = candidates.filter(r => r.name > after.name && r.name < before.name);
    const pins = inside.filter(r => pinned.has(r.name));
    const free = before.index - after.index - 1 - pins.length;
    if (free < 0) throw new Error(`more pinned rows than places between ${after.name} and ${before.name}`);
    const open = inside.filter(r => !pinned.has(r.name)).sort(byPopulation);
    result.push({after: after.name, pins, free, regional: open.filter(r => r.hasRegion), other: open.filter(r => !r.hasRegion)});
  }
  return result;
}

// Names in character order, then each swapped pair turned round.
function tableOrder(rows) {
  const sorted = [...rows].sort(byName);
  for (const [longer, shorter] of SWAPPED_PAIRS) {
    const at = sorted.findIndex(r => r.name === shorter);
    if (at < 0 || sorted[at + 1]?.name !== longer) throw new Error(`${longer} does not follow ${shorter}`);
    [sorted[at], sorted[at + 1]] = [sorted[at + 1], sorted[at]];
  }
  return sorted;
}

// The table's rows, in order. Each stretch gives its share of the region names to the most
// populous cities with a region and the rest of its places to the most populous others.
function selectTable(allCandidates) {
  const admitted = admissible(allCandidates);
  const countries = chosenCountries(admitted);
  const candidates = spacedOut(admitted.filter(r => countries.has(r.country)));
  const pinned = pinnedRows(candidates);
  const parts = stretches(candidates, pinned);
  const fixedRegions = TELLING_ROWS.filter(r => hasRegion(r.name)).length + [...pinned.values()].filter(r => r.hasRegion).length;
  const regionShares = apportion(REGION_NAMES - fixedRegions, parts.map(p => p.free));
  const rows = [...TELLING_ROWS];
  parts.forEach((part, i) => {
    const regional = regionShares[i];
    if (part.regional.length < regional || part.other.length < part.free - regional)
      throw new Error(`too few candidates after ${part.after}`);
    rows.push(...part.pins, ...part.regional.slice(0, regional), ...part.other.slice(0, part.free - regional));
  });
  const table = tableOrder(rows);
  if (table.length !== TABLE_SIZE) throw new Error(`${table.length} rows, not ${TABLE_SIZE}`);
  for (const row of TELLING_ROWS)
    if (table[row.index].name !== row.name) throw new Error(`${row.name} is not at ${row.index}`);
  return table;
}

// The table's descriptive figures, for the person who runs the tool.
function figures(table) {
  const lats = table.map(r => r.latMinutes / 60);
  const lngs = table.map(r => r.lngMinutes / 60);
  const names = table.map(r => r.name);
  return {
    rows: table.length,
    withRegion: names.filter(hasRegion).length,
    countries: new Set(names.map(countryOf)).size,
    longestName: Math.max(...names.map(n => n.length)),
    latitudes: [Math.min(...lats), Math.max(...lats)],
    longitudes: [Math.min(...lngs), Math.max(...lngs)],
  };
}

module.exports = {selectTable, figures, LONGEST_NAME};
