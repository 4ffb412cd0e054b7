// node xliff_fill.js IN OUT20 OUT12: reads an XLIFF 2.0 document with the
// xliff library, gives every unit the target "[fr] " + its source, and
// writes it back as XLIFF 2.0 (OUT20) and as XLIFF 1.2 (OUT12). Prints the
// number of units.
const fs = require('fs');
const { xliff2js, js2xliff, jsToXliff12 } = require('xliff');

(async () => {
  const js = await xliff2js(fs.readFileSync(process.argv[2], 'utf8'));
  let units = 0;
  for (const file of Object.values(js.resources)) {
    for (const unit of Object.values(file)) {
      unit.target = '[fr] ' + unit.source;
      units++;
    }
  }
  fs.writeFileSync(process.argv[3], await js2xliff(js));
  fs.writeFileSync(process.argv[4], await jsToXliff12(js));
  console.log(units);
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
