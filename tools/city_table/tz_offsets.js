// Standard-time offsets of the tz database's zones, read from the rule that closes each
// compiled zone file, and the database's version.
'use strict';

const fs = require('fs');
const path = require('path');

// A zone abbreviation: three or more letters, or anything in angle brackets ("<-03>").
function nameEnd(rule, at) {
  if (rule[at] === '<') {
    const close = rule.indexOf('>', at);
    return close < 0 ? -1 : close + 1;
  }
  const letters = /^[A-Za-z]{3,}/.exec(rule.slice(at));
  return letters ? at + letters[0].length : -1;
}

// An offset "[+-]hh[:mm[:ss]]", counted west of Greenwich as the rule writes it.
function offsetAt(rule, at) {
  const m = /^([+-]?)(\d{1,3})(?::(\d{1,2}))?(?::(\d{1,2}))?/.exec(rule.slice(at));
  if (!m) return null;
  const seconds = Number(m[2]) * 3600 + Number(m[3] || 0) * 60 + Number(m[4] || 0);
  return {west: m[1] === '-' ? -seconds : seconds, end: at + m[0].length};
}

// The two offsets (seconds east) a rule such as "CET-1CEST,M3.5.0,M10.5.0/3" alternates
// between; one offset for a zone without daylight saving.
function ruleOffsets(rule) {
  const stdEnd = nameEnd(rule, 0);
  const std = stdEnd < 0 ? null : offsetAt(rule, stdEnd);
  if (!std) return null;
  const offsets = [-std.west];
  if (std.end === rule.length) return offsets;
  const dstEnd = nameEnd(rule, std.end);
  if (dstEnd < 0) return null;
  const dst = rule[dstEnd] === ',' || dstEnd === rule.length ? null : offsetAt(rule, dstEnd);
  offsets.push(dst ? -dst.west : -std.west + 3600);
  return offsets;
}

class StandardOffsets {
  constructor(zoneinfoDir) {
    this.dir = zoneinfoDir;
    this.cache = new Map();
  }

  // "2025b", from the first line of the database's own source file.
  version() {
    const first = fs.readFileSync(path.join(this.dir, 'tzdata.zi'), 'latin1').split('\n')[0];
    const m = /^# version (\S+)$/.exec(first);
    if (!m) throw new Error(`no version line in ${this.dir}/tzdata.zi`);
    return m[1];
  }

  // Seconds east of UTC, or null for a zone this database lacks or whose rule cannot be read.
  // The standard offset is the lesser of the rule's two: a zone that writes its winter time
  // as a negative saving still counts its winter offset as standard.
  secondsEast(zone) {
    if (!this.cache.has(zone)) this.cache.set(zone, this.read(zone));
    return this.cache.get(zone);
  }

  read(zone) {
    let text;
    try {
      text = fs.readFileSync(path.join(this.dir, zone), 'latin1');
    } catch {
      return null;
    }
    // A version 2 or later file ends with its current rule on a line of its own.
    const last = text.length - 1;
    const start = text.lastIndexOf('\n', last - 1);
    if (!text.startsWith('TZif') || text[last] !== '\n' || start < 0) return null;
    const offsets = ruleOffsets(text.slice(start + 1, last));
    return offsets ? Math.min(...offsets) + 0 : null;  // + 0 turns -0 into 0
  }
}

module.exports = {StandardOffsets};
