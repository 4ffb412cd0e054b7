"""po_fill.py IN OUT: every entry of a PO file translated as "[fr-po] " +
its source and no longer fuzzy, as a translator's PO editor would leave it.
Run with the Python that has translate-toolkit."""
import sys

from translate.storage import factory

store = factory.getobject(sys.argv[1])
for unit in store.units:
    if unit.isheader():
        continue
    unit.target = "[fr-po] " + unit.source
    unit.markfuzzy(False)
store.savefile(sys.argv[2])
