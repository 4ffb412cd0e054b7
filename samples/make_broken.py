#!/usr/bin/env python3
"""Writes samples/broken.rpd.xml: the sample repository (sample.rpd.xml, which
the consistency check finds clean) with one planted defect per check of
`smutil check`, each in objects of its own, so that the check reports every
defect exactly once and nothing else. The list PLANTED at the bottom names
each defect's check, message id and object; the tool tests read the same
facts from the file's findings. Run it after regenerating the sample, then
`smutil convert samples/broken.rpd.xml samples/broken.rpd.xml` to put the
file in canonical order."""
import os
import xml.etree.ElementTree as ET

here = os.path.dirname(os.path.abspath(__file__))
tree = ET.parse(os.path.join(here, "sample.rpd.xml"))
root = tree.getroot()
counters = {}


def obj(type_id, name, parent=None, aliases=(), **props):
    # Numbers far above the sample's keep the planted objects apart.
    counters[type_id] = counters.get(type_id, 900) + 1
    oid = f"{type_id}:{counters[type_id]}"
    el = ET.SubElement(root, "object", id=oid, name=name)
    if parent:
        el.set("parent", parent)
    for a in aliases:
        ET.SubElement(el, "alias").text = a
    for key, value in props.items():
        kind, text = value
        p = ET.SubElement(el, "prop", key=key)
        if kind == "source":
            p.set("type", "source")
            for tag, attrs, body in text:
                child = ET.SubElement(p, tag, attrs)
                for sub_tag, sub_text in body:
                    ET.SubElement(child, sub_tag).text = sub_text
        else:
            if kind != "string":
                p.set("type", kind)
            p.text = text
    return oid


def rel(number, *args):
    ET.SubElement(root, "tuple", rel=str(number), args=" ".join(args))


def s(v): return ("string", v)
def b(v): return ("bool", "true" if v else "false")
def i(v): return ("int", str(v))
def e(v): return ("expr", v)
def ref(v): return ("id", v)


def source(mappings, tables):
    body = [("map", {}, [("logical", l), ("physical", p)]) for l, p in mappings]
    body += [("table", {"id": t}, []) for t in tables]
    return ("source", body)


PLANTED = []  # (check, message id, main object)


def plant(check, message_id, oid):
    PLANTED.append((check, message_id, oid))
    return oid


# ---- physical layer: a database of its own -------------------------------------
db = obj(3023, "Defects DB", TargetType=i(12))
obj(3029, "Defects Pool", db, DataSourceName=s("DEFECTS"), DBUserName=s("checker"))


def ptable(name, cols, parent=db, **props):
    t = obj(3001, name, parent, **props)
    ids = [obj(3003, c, t, DataType=s("INTEGER")) if typed else obj(3003, c, t) for c, typed in cols]
    return t, ids


t1, (t1_a, t1_b, t1_notype) = ptable("T1", [("A", True), ("B", True), ("NOTYPE", False)])
plant("physical-column-without-type", 38150, t1_notype)
t1_pk = obj(3008, "T1_PK", t1)
rel(329, t1_a, t1_pk)
t2, (t2_a, t2_b) = ptable("T2", [("A", True), ("B", True)])
plant("physical-table-duplicate-name", 38179, ptable("t1", [("A", True)])[0])
plant("physical-table-without-columns", 38146, obj(3001, "EMPTY_T", db))
plant("alias-collides-with-sibling", 38210, ptable("T3", [("A", True)], aliases=["T2"])[0])
fk = plant("foreign-key-column-elsewhere", 38142, obj(3006, "T2_ELSEWHERE_FK", t2))
rel(41, t2, t1_pk, fk)
rel(42, fk, t1_a)
fk2 = plant("foreign-key-column-count", 38180, obj(3006, "T2_COUNT_FK", t2))
rel(41, t2, t1_pk, fk2)
rel(42, fk2, t2_a)
rel(42, fk2, t2_b)
plant("join-without-expression", 38160, join := obj(3012, "T1 to T2"))
rel(40, t1, t2, join)
cat = obj(3025, "DEFECT_CUBES", db)
cube = obj(3039, "EMPTY_CUBE", cat)
cube_col = obj(3043, "Year", cube, DataType=s("INTEGER"))
plant("hierarchy-without-levels", 38190, obj(3041, "No Levels", cube))
h2 = obj(3041, "Calendar", cube)
plant("physical-level-without-key", 38194, obj(3045, "Year", h2))
plant("init-block-without-data-source", 39048, obj(3033, "No Source Block", BlockType=i(0)))
plant("variable-initializer-broken", 39053, obj(3031, "NO_INITIALIZER", VariableType=i(0)))

# ---- business model --------------------------------------------------------------
bm = obj(2000, "Defects")
plant("business-model-without-tables", 38018, obj(2000, "Empty Model"))


def ltable(name, cols, sources=True):
    """A logical table whose columns are all mapped to T1.A by one source."""
    t = obj(2035, name, bm)
    ids = [obj(2006, c, t, DataType=s("INTEGER")) for c in cols]
    if sources:
        obj(2037, "LTS1 T1", t, SourceDefinition=source([(f"#{c}", f"#{t1_a}") for c in ids], [t1]))
    return t, ids


good, (good_a, good_b) = ltable("Good", ["A", "B"])
good_key = obj(2008, "Good Key", good)
rel(329, good_a, good_key)
plant("logical-table-without-source", 38017, ltable("No Source", ["X"], sources=False)[0])
ltable("Twin", ["A"])
plant("logical-table-duplicate-name", 38106, ltable("TWIN", ["A"])[0])
hollow = plant("logical-table-without-columns", 38058, obj(2035, "Hollow", bm))
obj(2037, "LTS1 T1", hollow, SourceDefinition=source([("1", f"#{t1_a}")], [t1]))
partial = obj(2035, "Partial", bm)
p_a = obj(2006, "A", partial, DataType=s("INTEGER"))
p_b = plant("logical-column-unmapped", 38009, obj(2006, "B", partial, DataType=s("INTEGER")))
obj(2037, "LTS1 T1", partial, SourceDefinition=source([(f"#{p_a}", f"#{t1_a}")], [t1]))
plant("derived-column-empty", 38055, obj(2006, "No Formula", good, Derived=b(True)))
loop = obj(2006, "Loop", good, Derived=b(True))
root.find(f"object[@id='{loop}']").append(ET.fromstring(f'<prop key="Expr" type="expr">Add(#{loop},1)</prop>'))
plant("derived-column-uses-itself", 38052, loop)
blank, (blank_a,) = ltable("Blank", ["A"])
plant("source-maps-nothing", 38010,
      obj(2037, "LTS2 T1", blank, SourceDefinition=source([(f"#{blank_a}", "")], [t1])))
tableless, (tableless_a,) = ltable("Tableless", ["A"])
plant("source-without-physical-tables", 38066,
      obj(2037, "LTS2 none", tableless, SourceDefinition=source([(f"#{tableless_a}", f"#{t1_a}")], [])))
# Objects that are gone: a mapping, a source and a formula that still name them.
GONE_COLUMN, GONE_TABLE, GONE_LOGICAL = "3003:99999", "3001:99999", "2006:99999"
stale = obj(2035, "Stale", bm)
stale_a = plant("logical-column-mapped-to-deleted", 38108, obj(2006, "A", stale, DataType=s("INTEGER")))
obj(2037, "LTS1 T1", stale, SourceDefinition=source([(f"#{stale_a}", f"#{GONE_COLUMN}")], [t1]))
plant("source-reads-deleted-table", 38107,
      obj(2037, "LTS2 gone", good, SourceDefinition=source([(f"#{good_a}", f"#{t1_a}")], [t1, GONE_TABLE])))
gone_ref = obj(2006, "Stale Formula", good, Derived=b(True))
root.find(f"object[@id='{gone_ref}']").append(
    ET.fromstring(f'<prop key="Expr" type="expr">Add(#{GONE_LOGICAL},1)</prop>'))
plant("expression-refers-to-deleted", 38202, gone_ref)
plant("logical-key-without-columns", 38084, obj(2008, "Empty Key", good))
plant("logical-foreign-key-without-target", 38110, obj(2033, "Good to Nowhere", good))
plant("dimension-without-levels", 38025, obj(2019, "Flat", bm))
shallow = obj(2019, "Shallow", bm)
leaf = plant("level-without-key", 38011, obj(2025, "Leaf", obj(2025, "Total", shallow)))
rel(50, leaf, good_b)
bare = obj(2019, "Bare", bm)
empty_level = plant("level-without-columns", 38026, obj(2025, "Empty Level", obj(2025, "Total", bare)))
rel(329, good_a, obj(2008, "Empty Level Key", empty_level))

# ---- presentation layer ----------------------------------------------------------
area = obj(4004, "Defects Area", SubjectArea=ref(bm))
shown = obj(4008, "Good", area)
rel(30, good_a, obj(4010, "A", shown))
rel(30, good_b, plant("presentation-column-duplicate-name", 38209, obj(4010, "a", shown)))
plant("presentation-column-without-logical", 38073, obj(4010, "Lost", shown))
rel(30, good_b, plant("empty-display-name", 38201,
                      obj(4010, "Unnamed", shown, DisplayName=s(""), DisplayNameUse=b(True))))
rel(30, good_b, plant("description-undefined-session-variable", 38203,
                      obj(4010, "Described", shown, DisplayDescription=s("For VALUEOF(VX_SESSION.NO_SUCH_VARIABLE)"),
                          DisplayDescriptionUse=b(True))))
plant("presentation-table-without-columns", 38204, obj(4008, "Nothing", area))
plant("presentation-hierarchy-without-levels", 38212, obj(4028, "No Levels", shown))
plant("subject-area-without-tables", 38200, obj(4004, "Empty Area", SubjectArea=ref(bm)))
orphan = plant("subject-area-without-business-model", 38213, obj(4004, "Orphan Area"))
rel(30, good_a, obj(4010, "A", obj(4008, "Good", orphan)))

tree.write(os.path.join(here, "broken.rpd.xml"), encoding="UTF-8", xml_declaration=True)
print(f"{len(PLANTED)} planted defects -> {os.path.join(here, 'broken.rpd.xml')}")
