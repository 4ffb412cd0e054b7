#!/usr/bin/env python3
"""Writes samples/sample.rpd.xml, the tool's default repository: a small sales
data warehouse in all three layers, with variables, an initialization block,
users and roles. Run it from anywhere; it writes next to itself.

Objects are listed in the order repository files keep (by type, in the order
the types first appear); `smutil convert` then puts the relation tuples in the
file's order too. The committed file is that canonical form: after editing
this script, run it, then `smutil convert samples/sample.rpd.xml
samples/sample.rpd.xml`."""
import os
from xml.sax.saxutils import escape, quoteattr

objects = {}      # type -> list of (num, name, parent, aliases, props)
type_order = []
tuples = []
counters = {}
blobs = {}        # number -> bytes (numbered data blobs of the repository)


def obj(type_id, name, parent=None, aliases=(), **props):
    if type_id not in objects:
        objects[type_id] = []
        type_order.append(type_id)
    counters[type_id] = counters.get(type_id, 0) + 1
    oid = f"{type_id}:{counters[type_id]}"
    objects[type_id].append((oid, name, parent, list(aliases), props))
    return oid


def rel(number, *args):
    tuples.append((number, args))


def idx(oid):
    return "#" + oid


# property helpers: (type, value)
def s(v): return ("string", v)
def b(v): return ("bool", "true" if v else "false")
def i(v): return ("int", str(v))
def e(v, fmt=None): return ("expr", v, fmt)
def ss(*v): return ("strings", v)
def by(v): return ("bytes", v)
def ref(v): return ("id", v)


def guid(n):
    return by("%032X" % (0x5A3C0000000000000000000000000000 + n * 7919))


# ---- physical layer ---------------------------------------------------------
dw = obj(3023, "Sales DW", TargetType=i(12), Description=s("The sales data warehouse (star schema)."),
         GUID=guid(1))
mk = obj(3023, "Marketing", TargetType=i(7), Description=s("Campaign extracts, loaded weekly."))
pool = obj(3029, "Sales DW Pool", dw, DataSourceName=s("SALESDW"), DBUserName=s("bi_reader"),
           PostConnectStrings=ss("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'",
                                 "SET ROLE bi_reader_role"),
           BeforeQueryStrings=ss("SET QUERY_TAG = 'VALUEOF(VX_SESSION.USER)'"),
           AfterQueryStrings=ss("COMMIT"),
           PreDisconnectStrings=ss("RESET ROLE"))
obj(3029, "Marketing Pool", mk, DataSourceName=s("MKTG"), DBUserName=s(":USER"))
cat = obj(3025, "SALESDB", dw)
dbo = obj(3027, "dbo", cat)
stage = obj(3027, "stage", cat)
mk_schema = obj(3027, "campaigns", mk)

tables = {}
columns = {}


def table(name, parent, cols, aliases=(), **props):
    t = obj(3001, name, parent, aliases, **props)
    tables[name] = t
    for cname, dtype, nullable in cols:
        columns[(name, cname)] = obj(3003, cname, t, DataType=s(dtype), Nullable=b(nullable))
    return t


table("W_ORDERS_F", dbo, [
    ("ORDER_ID", "INTEGER", False), ("CUSTOMER_ID", "INTEGER", False), ("PRODUCT_ID", "INTEGER", False),
    ("DAY_ID", "INTEGER", False), ("QUANTITY", "INTEGER", True), ("UNIT_PRICE", "DECIMAL(12,2)", True),
    ("DISCOUNT_AMT", "DECIMAL(12,2)", True), ("STATUS", "VARCHAR(10)", True)],
    aliases=["ORDERS_F"], TableType=i(0), Description=s("One row per order line."), GUID=guid(2))
table("W_CUSTOMER_D", dbo, [
    ("CUSTOMER_ID", "INTEGER", False), ("NAME", "VARCHAR(80)", False), ("CITY", "VARCHAR(40)", True),
    ("REGION_ID", "INTEGER", True), ("SEGMENT", "VARCHAR(20)", True), ("EMAIL", "VARCHAR(120)", True)])
table("W_PRODUCT_D", dbo, [
    ("PRODUCT_ID", "INTEGER", False), ("NAME", "VARCHAR(80)", False), ("BRAND", "VARCHAR(40)", True),
    ("CATEGORY", "VARCHAR(40)", True), ("LIST_PRICE", "DECIMAL(12,2)", True)])
table("W_DAY_D", dbo, [
    ("DAY_ID", "INTEGER", False), ("CAL_DATE", "DATE", False), ("MONTH_NAME", "VARCHAR(12)", False),
    ("MONTH_NUM", "INTEGER", False), ("YEAR_NUM", "INTEGER", False)])
table("W_REGION_D", dbo, [
    ("REGION_ID", "INTEGER", False), ("NAME", "VARCHAR(40)", False), ("COUNTRY", "VARCHAR(40)", False)])
table("STG_ORDERS", stage, [
    ("ORDER_ID", "INTEGER", False), ("LOADED_AT", "TIMESTAMP", False), ("PAYLOAD", "VARCHAR(4000)", True)])
# Tables straight under a database or a schema without catalog.
table("CAMPAIGN", mk_schema, [
    ("CAMPAIGN_ID", "INTEGER", False), ("NAME", "VARCHAR(80)", False), ("START_DATE", "DATE", True),
    ("BUDGET", "DECIMAL(14,2)", True)])
table("RESPONSES", mk, [
    ("CAMPAIGN_ID", "INTEGER", False), ("CUSTOMER_ID", "INTEGER", False), ("RESPONDED_ON", "DATE", True)])
# An alias table: its columns stand for the day dimension's.
ship = obj(3001, "W_SHIP_DAY_D", dbo, Description=s("Alias of W_DAY_D for ship dates."))
for cname in ("DAY_ID", "CAL_DATE", "YEAR_NUM"):
    c = obj(3003, cname, ship, DataType=s("INTEGER" if cname != "CAL_DATE" else "DATE"), Nullable=b(False))
    columns[("W_SHIP_DAY_D", cname)] = c
    rel(31, c, columns[("W_DAY_D", cname)])

keys = {}
for tname, kcol in [("W_ORDERS_F", "ORDER_ID"), ("W_CUSTOMER_D", "CUSTOMER_ID"), ("W_PRODUCT_D", "PRODUCT_ID"),
                    ("W_DAY_D", "DAY_ID"), ("W_REGION_D", "REGION_ID"), ("CAMPAIGN", "CAMPAIGN_ID")]:
    k = obj(3008, tname + "_PK", tables[tname])
    keys[tname] = k
    rel(329, columns[(tname, kcol)], k)

for src, col, dst in [("W_ORDERS_F", "CUSTOMER_ID", "W_CUSTOMER_D"), ("W_ORDERS_F", "PRODUCT_ID", "W_PRODUCT_D"),
                      ("W_ORDERS_F", "DAY_ID", "W_DAY_D"), ("W_CUSTOMER_D", "REGION_ID", "W_REGION_D")]:
    fk = obj(3006, f"{src}_{dst}_FK", tables[src])
    rel(41, tables[src], keys[dst], fk)
    rel(42, fk, columns[(src, col)])

cj = obj(3012, "Responses to Customers",
         JoinExpr=e(f"Equal({idx(columns[('RESPONSES', 'CUSTOMER_ID')])},{idx(columns[('W_CUSTOMER_D', 'CUSTOMER_ID')])})"),
         JoinType=i(0))
rel(40, tables["RESPONSES"], tables["W_CUSTOMER_D"], cj)
pdf = obj(3037, "Star", dw)
for t in ("W_ORDERS_F", "W_CUSTOMER_D", "W_PRODUCT_D", "W_DAY_D"):
    rel(37, pdf, tables[t])


# ---- variables ---------------------------------------------------------------
init = obj(3033, "Refresh Dates", InitString=s("SELECT MAX(CAL_DATE), MAX(YEAR_NUM) FROM dbo.W_DAY_D"),
           BlockType=i(0), Description=s("Runs every hour on the Sales DW Pool."))
last_date = obj(3031, "LAST_LOAD_DATE", init, VariableType=i(1), Expr=e("D'2024-06-30'"))
cur_year = obj(3031, "CURRENT_YEAR", init, VariableType=i(1), Expr=e("2024"))
obj(3031, "COMPANY_NAME", None, VariableType=i(0), Expr=e("'Bramble Retail'"))
obj(3031, "VAT_RATE", None, VariableType=i(0), Expr=e("0.19"))
sess = obj(3033, "User Profile", InitString=s("SELECT REGION, LANG FROM dbo.USER_PROFILE WHERE LOGIN = ':USER'"),
           BlockType=i(1))
obj(3031, "USER_REGION", sess, VariableType=i(2), Expr=e("'ALL'"))
obj(3031, "USER_LANGUAGE", sess, VariableType=i(2), Expr=e("'en'"))
obj(3031, "HIDE_COSTS", sess, VariableType=i(2), Expr=e("'N'"))


# ---- business model ----------------------------------------------------------
bm = obj(2000, "Sales", Description=s("Orders, customers, products and time."), GUID=guid(3))
lt = {}
lc = {}


def ltable(name, cols, aliases=()):
    t = obj(2035, name, bm, aliases)
    lt[name] = t
    for cname, props in cols:
        lc[(name, cname)] = obj(2006, cname, t, **props)
    return t


def phys(tname, cname):
    return columns[(tname, cname)]


ltable("Orders", [
    ("Order Id", dict(DataType=s("INTEGER"))),
    ("Quantity", dict(DataType=s("INTEGER"))),
    ("Unit Price", dict(DataType=s("DECIMAL"))),
    ("Discount", dict(DataType=s("DECIMAL"))),
    ("Customer Id", dict(DataType=s("INTEGER"))),
    ("Product Id", dict(DataType=s("INTEGER"))),
    ("Day Id", dict(DataType=s("INTEGER"))),
    ("Status", dict(DataType=s("VARCHAR"))),
], aliases=["Sales Facts"])
ltable("Customers", [("Customer Id", {}), ("Customer Name", {}), ("City", {}), ("Region", {}), ("Country", {}),
                     ("Segment", {})])
ltable("Products", [("Product Id", {}), ("Product Name", {}), ("Brand", {}), ("Category", {}), ("List Price", {})])
ltable("Time", [("Day Id", {}), ("Date", {}), ("Month", {}), ("Year", {})])
# Derived measures: formulas over other logical columns.
q, p, d = lc[("Orders", "Quantity")], lc[("Orders", "Unit Price")], lc[("Orders", "Discount")]
revenue = obj(2006, "Revenue", lt["Orders"], Derived=b(True), DataType=s("DECIMAL"),
              Expr=e(f"Subtract(Multiply({idx(q)},{idx(p)}),{idx(d)})"))
lc[("Orders", "Revenue")] = revenue
net = obj(2006, "Net Revenue", lt["Orders"], Derived=b(True), DataType=s("DECIMAL"),
          Expr=e(f"Divide({idx(revenue)},Add(1,ValueOf(#3031:4)))"),
          Description=s("Revenue without VAT (repository variable VAT_RATE)."))
lc[("Orders", "Net Revenue")] = net
lc[("Orders", "Order Count")] = obj(2006, "Order Count", lt["Orders"], Derived=b(True),
                                    Expr=e(f"CountDis({idx(lc[('Orders', 'Order Id')])})"))


def source(lname, ptables, mapping, joins=(), where=None):
    src = obj(2037, "LTS1 " + ptables[0], lt[lname])
    body = []
    for lcol, pcol in mapping:
        body.append(f"<map><logical>{idx(lc[(lname, lcol)])}</logical>"
                    f"<physical>{idx(phys(*pcol))}</physical></map>")
    for t in ptables:
        body.append(f'<table id="{tables[t]}"/>')
    for l, r, j in joins:
        body.append(f'<join left="{tables[l]}" right="{tables[r]}" join="{j}"/>')
    if where:
        body.append(f"<where>{escape(where)}</where>")
    objects[2037][-1][4]["SourceDefinition"] = ("source", body)
    return src


source("Orders", ["W_ORDERS_F"], [
    ("Order Id", ("W_ORDERS_F", "ORDER_ID")), ("Quantity", ("W_ORDERS_F", "QUANTITY")),
    ("Unit Price", ("W_ORDERS_F", "UNIT_PRICE")), ("Discount", ("W_ORDERS_F", "DISCOUNT_AMT")),
    ("Customer Id", ("W_ORDERS_F", "CUSTOMER_ID")), ("Product Id", ("W_ORDERS_F", "PRODUCT_ID")),
    ("Day Id", ("W_ORDERS_F", "DAY_ID")), ("Status", ("W_ORDERS_F", "STATUS"))],
    where=f"NotEqual({idx(phys('W_ORDERS_F', 'STATUS'))},'CANCELLED')")
source("Customers", ["W_CUSTOMER_D", "W_REGION_D"], [
    ("Customer Id", ("W_CUSTOMER_D", "CUSTOMER_ID")), ("Customer Name", ("W_CUSTOMER_D", "NAME")),
    ("City", ("W_CUSTOMER_D", "CITY")), ("Region", ("W_REGION_D", "NAME")), ("Country", ("W_REGION_D", "COUNTRY")),
    ("Segment", ("W_CUSTOMER_D", "SEGMENT"))],
    joins=[("W_CUSTOMER_D", "W_REGION_D", "0:0")])
source("Products", ["W_PRODUCT_D"], [
    ("Product Id", ("W_PRODUCT_D", "PRODUCT_ID")), ("Product Name", ("W_PRODUCT_D", "NAME")),
    ("Brand", ("W_PRODUCT_D", "BRAND")), ("Category", ("W_PRODUCT_D", "CATEGORY")),
    ("List Price", ("W_PRODUCT_D", "LIST_PRICE"))])
source("Time", ["W_DAY_D"], [
    ("Day Id", ("W_DAY_D", "DAY_ID")), ("Date", ("W_DAY_D", "CAL_DATE")), ("Month", ("W_DAY_D", "MONTH_NAME")),
    ("Year", ("W_DAY_D", "YEAR_NUM"))])

lkeys = {}
for name, col in [("Orders", "Order Id"), ("Customers", "Customer Id"), ("Products", "Product Id"),
                  ("Time", "Day Id")]:
    k = obj(2008, name + " Key", lt[name])
    lkeys[name] = k
    rel(329, lc[(name, col)], k)
for dim, col in [("Customers", "Customer Id"), ("Products", "Product Id"), ("Time", "Day Id")]:
    fk = obj(2033, "Orders to " + dim, lt["Orders"])
    rel(43, fk, lc[("Orders", col)])
    rel(44, lt["Orders"], lkeys[dim], fk)

# Dimensions: levels from the grand total down; each level's key and columns.
dims = {}
levels = {}


def dimension(name, chain):
    dm = obj(2019, name, bm)
    dims[name] = dm
    parent = dm
    for lname, table_name, cols in chain:
        lv = obj(2025, lname, parent)
        levels[(name, lname)] = lv
        for c in cols:
            rel(50, lv, lc[(table_name, c)])
        if cols:
            k = obj(2008, lname + " Key", lv)
            rel(329, lc[(table_name, cols[0])], k)
        parent = lv


dimension("Customer Dim", [("Total Customers", "Customers", []), ("Country", "Customers", ["Country"]),
                           ("Region", "Customers", ["Region"]),
                           ("Customer", "Customers", ["Customer Id", "Customer Name", "City", "Segment"])])
dimension("Time Dim", [("Total Time", "Time", []), ("Year", "Time", ["Year"]), ("Month", "Time", ["Month"]),
                       ("Day", "Time", ["Day Id", "Date"])])


# ---- presentation layer ------------------------------------------------------
sa = obj(4004, "Sales Analysis", aliases=["Sales"], SubjectArea=ref(bm),
         Description=s("Everyday sales reporting."),
         DisplayName=s("Sales Analysis"), DisplayNameUse=b(False), GUID=guid(4))
sa2 = obj(4004, "Marketing Insights", SubjectArea=ref(bm))
pt = {}
pc = {}


def ptable(area, name, lname, cols, aliases=(), **props):
    t = obj(4008, name, area, aliases, **props)
    pt[(area, name)] = t
    for cname, lcol, extra in cols:
        c = obj(4010, cname, t, **extra)
        pc[(area, name, cname)] = c
        rel(30, lc[(lname, lcol)], c)
    return t


ptable(sa, "Orders", "Orders", [
    ("Order Id", "Order Id", {}), ("Quantity", "Quantity", {}), ("Revenue", "Revenue",
     dict(DisplayName=s("VALUEOF(VX_SESSION.LABEL_REVENUE)"), DisplayNameUse=b(True),
          Description=s("Quantity times unit price, less discount."))),
    ("Net Revenue", "Net Revenue", {}), ("Order Count", "Order Count", {}),
    ("Discount", "Discount", dict(HideObjectExpr=e("Equal(ValueOfSession('HIDE_COSTS'),'Y')"))),
    ("Status", "Status", {})],
    Description=s("Order facts."))
ptable(sa, "Customers", "Customers", [
    ("Customer Name", "Customer Name", {}), ("City", "City", {}), ("Region", "Region", {}),
    ("Country", "Country", {}), ("Segment", "Segment", {})],
    aliases=["Customer", "Clients"], DisplayName=s("Kunden & Märkte"), DisplayNameUse=b(True),
    DisplayDescription=s("Customers by region"), DisplayDescriptionUse=b(True), TranslationKey=s("SA_CUSTOMERS"))
ptable(sa, "Products", "Products", [
    ("Product Name", "Product Name", {}), ("Brand", "Brand", {}), ("Category", "Category", {}),
    ("List Price", "List Price", {})])
ptable(sa, "Time", "Time", [("Date", "Date", {}), ("Month", "Month", {}), ("Year", "Year", {})])
ptable(sa2, "Customers", "Customers", [("Customer Name", "Customer Name", {}), ("Segment", "Segment", {})])
ptable(sa2, "Revenue", "Orders", [("Revenue", "Revenue", {}), ("Order Count", "Order Count", {})])

# Presentation hierarchies mirror the dimensions.
for table_name, dim, chain in [
        ("Customers", "Customer Dim", [("Country", ["Country"]), ("Region", ["Region"]),
                                       ("Customer", ["Customer Name"])]),
        ("Time", "Time Dim", [("Year", ["Year"]), ("Month", ["Month"]), ("Day", ["Date"])])]:
    h = obj(4028, dim.replace(" Dim", ""), pt[(sa, table_name)])
    rel(111, h, dims[dim])
    for lname, cols in chain:
        pl = obj(4030, lname, h)
        rel(32, levels[(dim, lname)], pl)
        for c in cols:
            rel(33, pl, pc[(sa, table_name, c)])


# ---- users and roles ---------------------------------------------------------
admin = obj(1501, "Administrator", Description=s("Repository administrator."))
ana = obj(1501, "anna.berg")
tom = obj(1501, "tom.ito")
r_admin = obj(4206, "BIAdministrators")
r_sales = obj(4206, "SalesAnalysts")
r_all = obj(4206, "BIConsumers")
rel(35, r_admin, admin)
rel(35, r_sales, ana)
rel(35, r_sales, tom)
rel(36, r_all, r_sales)
rel(36, r_all, r_admin)


# ---- cube tables: hierarchies and physical levels (moving objects) -------------
# A multidimensional source: a cube table with two physical dimensions, their
# hierarchies and the levels keyed by cube columns, and a second cube table,
# so that columns, levels and hierarchies can be moved between them.
olap = obj(3023, "Sales OLAP", TargetType=i(20), Description=s("Sales cubes on the multidimensional server."))
olap_cat = obj(3025, "SalesCubes", olap)
cube_cols = {}


def cube(name, cols):
    c = obj(3039, name, olap_cat)
    for cname, dtype in cols:
        cube_cols[(name, cname)] = obj(3043, cname, c, DataType=s(dtype))
    return c


def cube_dimension(cube_name, cube_oid, name, hierarchies):
    d = obj(3064, name, cube_oid)
    for hname, level_names in hierarchies:
        h = obj(3041, hname, cube_oid)
        rel(39, d, h)
        for lname in level_names:
            obj(3045, lname, h, LevelKey=ref(cube_cols[(cube_name, lname)]))
            rel(49, d, cube_cols[(cube_name, lname)])
    return d


sales_cube = cube("Sales", [("Year", "INTEGER"), ("Quarter", "VARCHAR"), ("Month", "VARCHAR"),
                            ("Fiscal Year", "INTEGER"), ("Fiscal Period", "VARCHAR"), ("Region", "VARCHAR"),
                            ("Country", "VARCHAR"), ("Revenue", "DOUBLE"), ("Units", "INTEGER")])
cube_dimension("Sales", sales_cube, "Time", [("Calendar", ["Year", "Quarter", "Month"]),
                                             ("Fiscal", ["Fiscal Year", "Fiscal Period"])])
cube_dimension("Sales", sales_cube, "Geography", [("Regions", ["Region", "Country"])])
returns_cube = cube("Returns", [("Year", "INTEGER"), ("Reason", "VARCHAR"), ("Returned Units", "INTEGER")])
cube_dimension("Returns", returns_cube, "Time", [("Calendar", ["Year"])])


# ---- delete dependencies: level parent links ----------------------------------
# A product dimension whose levels hang under the roles of level-to-level
# relationships (relationship 109), so that deleting a role shows which
# levels go with it: Brand has one parent link, to a role that may link many
# levels, and goes with it; Product has two and survives either; Category's
# only link is to a one-to-one role, which never takes it along.
def multiplicity(start, end):
    return ("multiplicity", start, end)


pdim = obj(2019, "Product Dim", bm)
p_total = obj(2025, "Total Products", pdim)
p_brand = obj(2025, "Brand", p_total)
p_category = obj(2025, "Category", p_total)
p_product = obj(2025, "Product", p_brand)
for lv, lname, cols in [(p_brand, "Brand", ["Brand"]), (p_category, "Category", ["Category"]),
                        (p_product, "Product", ["Product Id", "Product Name"])]:
    for c in cols:
        rel(50, lv, lc[("Products", c)])
    rel(329, lc[("Products", cols[0])], obj(2008, lname + " Key", lv))
for rname, role_name, card, linked in [
        ("Total to Brand", "Brands", multiplicity(0, 2), [p_brand]),
        ("Total to Category", "Categories", multiplicity(1, 1), [p_category]),
        ("Brand to Product", "Products of Brand", multiplicity(1, 2), [p_product]),
        ("Category to Product", "Products of Category", multiplicity(0, 2), [p_product])]:
    role = obj(2010, role_name, obj(2027, rname, pdim), Multiplicity=card)
    for lv in linked:
        rel(109, lv, role)


# ---- drill paths and a project ------------------------------------------------
# Customer Name and Segment are shown in both subject areas' Customers tables
# (Sales Analysis first); City only in Sales Analysis. Preferred drill-downs:
# from a country straight to its customers, then to its regions; from a year
# to its months.
def find(type_id, name, parent=None):
    return next(oid for oid, n, p, _, _ in objects[type_id] if n == name and (parent is None or p == parent))


rel(34, levels[("Customer Dim", "Country")], levels[("Customer Dim", "Customer")])
rel(34, levels[("Customer Dim", "Country")], levels[("Customer Dim", "Region")])
rel(34, levels[("Time Dim", "Year")], levels[("Time Dim", "Month")])
# A second hierarchy of the customer dimension, in Marketing Insights: it
# shows countries and customers but no regions, and a level of its own that
# no logical level stands behind.
geo = obj(4028, "Customer Geography", pt[(sa2, "Customers")])
rel(111, geo, dims["Customer Dim"])
for lname, cols in [("Country", []), ("Customer", ["Customer Name", "Segment"])]:
    pl = obj(4030, lname, geo)
    rel(32, levels[("Customer Dim", lname)], pl)
    for c in cols:
        rel(33, pl, pc[(sa2, "Customers", c)])
obj(4030, "Key Accounts", geo)
# A project: what the sales reporting team works on, with two presentation
# objects left out and two objects of other kinds (a variable and its block).
proj = obj(4213, "Sales Reporting", Description=s("Presentation objects of the weekly sales reports."))
time_h = find(4028, "Time", pt[(sa, "Time")])
for o in [sa, pt[(sa, "Orders")], pc[(sa, "Orders", "Revenue")], time_h, find(4030, "Year", time_h),
          pt[(sa, "Time")], init, cur_year, pc[(sa, "Orders", "Quantity")]]:
    rel(46, proj, o)
for o in [pc[(sa, "Orders", "Discount")], sa2]:
    rel(47, proj, o)


# ---- repository maintenance: sealed passwords, LDAP, storage option ------------
# The sealed passwords below open with the pass phrase "sample-pass-phrase"
# (README, "Repository maintenance"). Each is the sealed text (base64 of a
# format byte, a nonce, AES-256-GCM ciphertext and tag) kept as its bytes; the
# key is PBKDF2-HMAC-SHA1 of the pass phrase with the server's fixed salt.
# The script key (blob 15) is that same key, so the repository itself opens
# them too. `smutil rekey` moves all of them to another pass phrase.
import hashlib
import struct

SAMPLE_PASS_PHRASE = "sample-pass-phrase"
script_key = hashlib.pbkdf2_hmac("sha1", SAMPLE_PASS_PHRASE.encode(), b"smutil/script-password/pbkdf2-salt/v1",
                                 100000, 32)

def blob_string(text):
    data = text.encode("utf-8")
    return struct.pack(">I", len(data)) + data


# Blob 15: a label, then the key bytes as one character per byte.
blobs[15] = blob_string("sample script key") + blob_string("".join(chr(c) for c in script_key))


def sealed(text):
    return by(text.encode("ascii").hex().upper())


SEALED = {
    "planner-pw": "AYOoE0yP6EWE/cE1SwWySgpnCtRPLd7uNfx/0n3fc8C1qZI/ftoX",
    "cube-admin-pw": "AZ9tpFguQ/hXlR/oliVWQcg6dQP7KieSaQLWhFS88XLV5NvNEqZyUm5z",
    "bind-pw": "ATdFfixTMthxj90xLh9XjPVYy+kDj7NIH+cZ52wJYKJyUKsd",
    "keydb-pw": "AblEKb0ox/y4u2PPxNPkxLTIgv6cja/s1CcQZIDdofMaWoo1Qg==",
}

obj(3035, "Corporate Directory", HostName=s("ldap.bramble.example"), BaseDN=s("ou=people,dc=bramble,dc=example"),
    KeyDBFile=s("/etc/bi/ldap-keys.kdb"), QPLKey=s("LDAP-1"), BindPassword=sealed(SEALED["bind-pw"]),
    KeyDBPassword=sealed(SEALED["keydb-pw"]))
# A multidimensional database (target type 58) whose Budget application keeps
# the ZOV storage option; the database-wide value is another one.
cube = obj(3023, "Planning Cube", TargetType=i(58),
           DatabaseProperties=ss("", "STORAGE_OPTION", "BSO", "Budget", "STORAGE_OPTION", "ZOV"))
obj(3029, "Planning Pool", cube, DataSourceName=s("planning.bramble.example:1423"), DBUserName=s("planner"),
    ServerName=s("planning.bramble.example"), ServerPort=s("1423"), EncryptedPassword=sealed(SEALED["planner-pw"]))
obj(3029, "Planning Admin Pool", cube, DataSourceName=s("planning.bramble.example:1423"),
    DBUserName=s("cube_admin"), EncryptedPassword=sealed(SEALED["cube-admin-pw"]))
budget_f = table("BUDGET_F", cube, [("AMOUNT", "DECIMAL(14,2)", True), ("COMMENT_TXT", "VARCHAR(200)", True)])
# A logical table source that maps a logical column to an empty physical
# expression: the column counts as not mapped.
planning = obj(2000, "Planning")
budget = obj(2035, "Budget", planning)
budget_amount = obj(2006, "Amount", budget, DataType=s("DECIMAL"))
budget_comment = obj(2006, "Comment", budget, DataType=s("VARCHAR"))
obj(2037, "LTS1 BUDGET_F", budget, SourceDefinition=("source", [
    f"<map><logical>{idx(budget_amount)}</logical><physical>{idx(columns[('BUDGET_F', 'AMOUNT')])}</physical></map>",
    f"<map><logical>{idx(budget_comment)}</logical><physical></physical></map>",
    f'<table id="{budget_f}"/>']))


# ---- variable substitution -----------------------------------------------------
# Session variables with a single value (USER_REGION above, APP_ROLE) and a
# list value (SALES_REGIONS); their values come from the session, which the
# tool's subst and scripts commands fill from --session and --list. A static
# variable for the scripts, a connection pool whose scripts use every
# reference form, a position and the :USER colon variable, and the
# repository's credentials (data blob 1: user name, then password, each a
# blob string: a big-endian 32-bit byte count and UTF-8).
obj(3031, "SALES_REGIONS", sess, VariableType=i(2), Expr=e("'ALL'"),
    Description=s("The regions the user may see: a list value."))
obj(3031, "APP_ROLE", sess, VariableType=i(2), Expr=e("'viewer'"))
obj(3031, "SCRIPT_SCHEMA", None, VariableType=i(0), Expr=e("'dbo'"))
obj(3029, "Variable Pool", dw, DataSourceName=s("SALESDW"), DBUserName=s(":USER"),
    PostConnectStrings=ss("SET APP_USER = ':USER'",
                          "SET SEARCH_PATH = VALUEOF(SCRIPT_SCHEMA)"),
    PreDisconnectStrings=ss("CALL LOG_LOGOUT(':USER', VALUEOF(1, VX_SESSION.SALES_REGIONS))"),
    BeforeQueryStrings=ss("SET QUERY_TAG = 'VALUENAMEOF(VX_SESSION.APP_ROLE)@VALUENAMEOF(0, VX_SESSION.SALES_REGIONS)'",
                          "SET REGION_FILTER = (VALUELISTOF(VX_SESSION.SALES_REGIONS))"),
    AfterQueryStrings=ss("SET COMPANY = 'VALUEOF(COMPANY_NAME)'"))
blobs[1] = blob_string("bi_service") + blob_string("sample-only")


# ---- custom display names and resource bundles --------------------------------
# The subject area "Localized Sales" shows products under display names of
# every kind: plain text, session-variable references, single bundle
# references (VALUEOF(VX_SESSION.KEX_BUNDLE_<key>)), and label and tooltip
# references. Its columns map to the database "Localized", whose pool names
# the bundle-strings file bundles.db (built from samples/bundles.tsv, in en
# and fr); USER_LANGUAGE is the session's language. A customer type carries
# a display name with a session variable.
def kex(key):
    return s(f"VALUEOF(VX_SESSION.KEX_BUNDLE_{key})")


loc_db = obj(3023, "Localized", TargetType=i(12), Description=s("Product texts and the resource-bundle strings."))
obj(3029, "Localized Pool", loc_db, DataSourceName=s("bundles.db"))
table("PRODUCT_L", loc_db, [("PRODUCT_ID", "INTEGER", False), ("NAME", "VARCHAR(80)", False),
                            ("CATEGORY", "VARCHAR(40)", True)])
ltable("Localized Products", [("Product Id", {}), ("Product Name", {}), ("Category", {})])
source("Localized Products", ["PRODUCT_L"], [
    ("Product Id", ("PRODUCT_L", "PRODUCT_ID")), ("Product Name", ("PRODUCT_L", "NAME")),
    ("Category", ("PRODUCT_L", "CATEGORY"))])
sa3 = obj(4004, "Localized Sales", SubjectArea=ref(bm), DisplayName=kex("SA_TITLE"), DisplayNameUse=b(True),
          DisplayDescription=s("Products for region VALUEOF(VX_SESSION.USER_REGION)"), DisplayDescriptionUse=b(True))
ptable(sa3, "Products", "Localized Products", [
    ("Product Id", "Product Id", dict(DisplayName=s("Product number"), DisplayNameUse=b(True))),
    ("Product Name", "Product Name", dict(DisplayName=kex("PRODUCT_NAME"), DisplayNameUse=b(True),
                                          DisplayDescription=kex("PRODUCT_NAME_TIP"),
                                          DisplayDescriptionUse=b(True))),
    ("Category", "Category", dict(DisplayName=s("VALUEOF(VX_SESSION.KEX_LABEL_CATEGORY)"), DisplayNameUse=b(True),
                                  DisplayDescription=s("VALUEOF(VX_SESSION.KEX_TOOLTIP_CATEGORY)"),
                                  DisplayDescriptionUse=b(True)))],
    DisplayName=kex("PRODUCTS_TABLE"), DisplayNameUse=b(True))
loc_h = obj(4028, "Catalog", pt[(sa3, "Products")], DisplayName=kex("CATALOG"), DisplayNameUse=b(True))
loc_l = obj(4030, "Category", loc_h, DisplayName=kex("CATEGORY_LEVEL"), DisplayNameUse=b(True))
rel(33, loc_l, pc[(sa3, "Products", "Category")])
obj(4014, "Households", DisplayName=s("Households (VALUEOF(VX_SESSION.USER_LANGUAGE))"), DisplayNameUse=b(True))


# ---- consistency check ---------------------------------------------------------
# Budget's first source leaves Comment unmapped on purpose (an empty physical
# expression, above); a second source maps it, so that the column has data in
# some source and `smutil check` finds the sample clean. samples/make_broken.py
# plants one defect per check on top of this sample.
obj(2037, "LTS2 BUDGET_F", budget, SourceDefinition=("source", [
    f"<map><logical>{idx(budget_comment)}</logical><physical>{idx(columns[('BUDGET_F', 'COMMENT_TXT')])}</physical>"
    "</map>",
    f'<table id="{budget_f}"/>']))

# ---- name resolution: read denials, shared names, former names ----------------
# What resolving a query's names meets: two subject areas that both answer to
# the former name "Fin" and both hold a Ledger, a table that a query still calls by its former name
# ("Journal"), a table one letter away from a name that does not exist
# (Margins), and a physical table name in two catalogs (CUSTOMERS). Users
# read what their read denials (relationship 51: user, object, with
# everything below it) leave them: Administrator everything, anna.berg all
# but Marketing Insights and the Discount column, tom.ito all but Margins,
# and kiosk little: of the presentation layer only Products and Time of
# Sales Analysis, of the business model all but Customers, of the physical
# layer all but the Marketing database.
fin = obj(4004, "Finance", aliases=["Fin"], SubjectArea=ref(bm))
fin_arch = obj(4004, "Finance Archive", aliases=["Fin"], SubjectArea=ref(bm), Description=s("Closed years of the ledger."))
ptable(fin, "Ledger", "Orders", [("Revenue", "Revenue", {}), ("Net Revenue", "Net Revenue", {})])
ptable(fin_arch, "Ledger", "Orders", [("Revenue", "Revenue", {})])
ptable(fin, "Journal Entries", "Orders", [("Order Id", "Order Id", {}), ("Quantity", "Quantity", {})],
       aliases=["Journal"])
margins = ptable(sa, "Margins", "Orders", [("Net Revenue", "Net Revenue", {}), ("Discount", "Discount", {})])
table("CUSTOMERS", stage, [("CUSTOMER_ID", "INTEGER", False), ("LOADED_AT", "TIMESTAMP", False)])
table("CUSTOMERS", mk_schema, [("CUSTOMER_ID", "INTEGER", False), ("OPT_IN", "CHAR(1)", True)])
kiosk = obj(1501, "kiosk", Description=s("The lobby screen: products and time only."))
for user, denied in [
        (ana, [sa2, pc[(sa, "Orders", "Discount")]]),
        (tom, [margins]),
        (kiosk, [sa2, sa3, fin, fin_arch, pt[(sa, "Orders")], pt[(sa, "Customers")], margins, lt["Customers"],
                 mk])]:
    for o in denied:
        rel(51, user, o)

# ---- externalization: KEX sources, segment rules, translation keys -----------
# Three databases of KEX-style data sources (server target types 47, 59 and
# 75) stand behind the subject area "Ledger": its columns get KEX UI-hint
# variables named after the physical column (KEX_LABEL_<DB>_<TABLE>_<COL>).
# One column reads an alias column, whose base column names the hint. The
# logical tables "GL Segment Accounts" (built-in prefix) and "Cost Center
# Segment" (a prefix of the segment-rules file) are unqualified segment
# tables. Every Ledger object carries an upgrade identifier; most carry a
# translation key. Account shows the default externalized name, Amount the
# KEX one; the rest start switched off, for `smutil externalize` to do.
# The segment-rules file and its schema are written below the installation
# home (samples/, see config.ini) where the library looks for them.
SEGMENT_RULES_XSD = """<?xml version="1.0" encoding="UTF-8"?>
<!-- Application segment rules: the name prefixes of logical tables that are
     unqualified segment dimensions. -->
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" elementFormDefault="qualified">
  <xs:simpleType name="Prefix">
    <xs:restriction base="xs:string">
      <xs:minLength value="1"/>
    </xs:restriction>
  </xs:simpleType>
  <xs:element name="SegmentRules">
    <xs:complexType>
      <xs:sequence>
        <xs:element name="MappingRules" minOccurs="0" maxOccurs="unbounded">
          <xs:complexType>
            <xs:attribute name="UnqualifiedDimensionPrefix" type="Prefix" use="required"/>
            <xs:attribute name="Application" type="xs:string"/>
          </xs:complexType>
        </xs:element>
      </xs:sequence>
      <xs:attribute name="version" type="xs:string"/>
    </xs:complexType>
  </xs:element>
</xs:schema>
"""
SEGMENT_RULES_XML = """<?xml version="1.0" encoding="UTF-8"?>
<SegmentRules version="1">
  <MappingRules Application="Ledger" UnqualifiedDimensionPrefix="Cost Center"/>
  <MappingRules Application="Ledger" UnqualifiedDimensionPrefix="Balancing Segment"/>
</SegmentRules>
"""
rules_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "segment-rules")
os.makedirs(rules_dir, exist_ok=True)
for file_name, text in (("segment-rules.xsd", SEGMENT_RULES_XSD), ("segment-rules.xml", SEGMENT_RULES_XML)):
    with open(os.path.join(rules_dir, file_name), "w", encoding="utf-8") as f:
        f.write(text)

ledger_db = obj(3023, "Ledger Apps", TargetType=i(47), Description=s("General ledger of the finance application."))
plan_db = obj(3023, "Planning Apps", TargetType=i(59), Description=s("Plan targets of the planning application."))
event_db = obj(3023, "Event Stream", TargetType=i(75), Description=s("Order events, continuously loaded."))
table("GL_BALANCE", ledger_db, [("ACCOUNT_SEGMENT", "VARCHAR(25)", False), ("COST_CENTER", "VARCHAR(25)", False),
                                ("AMOUNT", "DECIMAL(18,2)", True)])
table("GL_BALANCE_PRIOR", ledger_db, [("COST_CENTER", "VARCHAR(25)", False)],
      Description=s("Alias of GL_BALANCE for the prior period."))
rel(31, columns[("GL_BALANCE_PRIOR", "COST_CENTER")], columns[("GL_BALANCE", "COST_CENTER")])
table("PLAN_TARGET", plan_db, [("TARGET_AMOUNT", "DECIMAL(18,2)", True)])
table("ORDER_EVENT", event_db, [("EVENT_TYPE", "VARCHAR(20)", False)])
ltable("GL Segment Accounts", [("Account", {})])
ltable("Cost Center Segment", [("Cost Center", {})])
ltable("Ledger Balances", [("Amount", {}), ("Target", {}), ("Event Type", {})])
source("GL Segment Accounts", ["GL_BALANCE"], [("Account", ("GL_BALANCE", "ACCOUNT_SEGMENT"))])
source("Cost Center Segment", ["GL_BALANCE_PRIOR"], [("Cost Center", ("GL_BALANCE_PRIOR", "COST_CENTER"))])
source("Ledger Balances", ["GL_BALANCE", "PLAN_TARGET", "ORDER_EVENT"], [
    ("Amount", ("GL_BALANCE", "AMOUNT")), ("Target", ("PLAN_TARGET", "TARGET_AMOUNT")),
    ("Event Type", ("ORDER_EVENT", "EVENT_TYPE"))])
ledger = obj(4004, "Ledger", SubjectArea=ref(bm), Description=s("Balances of the general ledger."),
             TranslationKey=s("LEDGER"), UpgradeID=guid(101))
balances = obj(4008, "Balances", ledger, Description=s("Balances by account & cost center."),
               TranslationKey=s("LEDGER_BALANCES"), UpgradeID=guid(102))
pt[(ledger, "Balances")] = balances
for n, (cname, lname, lcol, extra) in enumerate([
        ("Account", "GL Segment Accounts", "Account",
         dict(DisplayName=s("VALUEOF(VX_SESSION.CN_Ledger_Balances_Account)"), DisplayNameUse=b(True),
              TranslationKey=s("LEDGER_ACCOUNT"))),
        ("Cost Center", "Cost Center Segment", "Cost Center", dict(TranslationKey=s("LEDGER_COST_CENTER"))),
        ("Amount", "Ledger Balances", "Amount",
         dict(DisplayName=s("VALUEOF(VX_SESSION.KEX_LABEL_LEDGER_APPS_GL_BALANCE_AMOUNT)"), DisplayNameUse=b(True),
              Description=s("Balance in the ledger's currency."), TranslationKey=s("LEDGER_AMOUNT"))),
        ("Target", "Ledger Balances", "Target", {}),
        ("Event Type", "Ledger Balances", "Event Type", dict(TranslationKey=s("LEDGER_EVENT_TYPE")))]):
    c = obj(4010, cname, balances, UpgradeID=guid(103 + n), **extra)
    pc[(ledger, "Balances", cname)] = c
    rel(30, lc[(lname, lcol)], c)
ledger_h = obj(4028, "Accounts", balances, TranslationKey=s("LEDGER_ACCOUNTS_H"), UpgradeID=guid(110))
ledger_l = obj(4030, "Account", ledger_h, TranslationKey=s("LEDGER_ACCOUNT_L"), UpgradeID=guid(111))
rel(33, ledger_l, pc[(ledger, "Balances", "Account")])


# ---- writing -------------------------------------------------------------------
def write_prop(out, key, value):
    kind = value[0]
    if kind == "string":
        out.append(f'    <prop key="{key}">{escape(value[1])}</prop>')
    elif kind in ("bool", "int", "bytes", "id"):
        out.append(f'    <prop key="{key}" type="{kind}">{value[1]}</prop>')
    elif kind == "expr":
        fmt = f" format={quoteattr(value[2])}" if value[2] else ""
        out.append(f'    <prop key="{key}" type="expr"{fmt}>{escape(value[1])}</prop>')
    elif kind == "strings":
        out.append(f'    <prop key="{key}" type="strings">')
        out.extend(f"      <s>{escape(v)}</s>" for v in value[1])
        out.append("    </prop>")
    elif kind == "multiplicity":
        out.append(f'    <prop key="{key}" type="multiplicity" start="{value[1]}" end="{value[2]}"/>')
    elif kind == "source":
        out.append(f'    <prop key="{key}" type="source">')
        out.extend("      " + line for line in value[1])
        out.append("    </prop>")


# Property order as the repository keeps it (the order of its key list).
KEY_ORDER = ["DisplayName", "DisplayNameUse", "DisplayDescription", "DisplayDescriptionUse", "TranslationKey",
             "Description", "GUID", "UpgradeID", "Properties", "Expr", "VariableType", "HideObjectExpr", "AggrExpr",
             "JoinExpr", "JoinType", "TableType", "DataType", "Nullable", "Derived", "TargetType",
             "DatabaseProperties", "DataSourceName", "DBUserName", "XMLADataSourceInfo", "ServerName", "ServerPort",
             "EJBBean", "OrreryServiceName", "WSDL", "QPLKey", "EncryptedPassword", "PostConnectStrings",
             "PreDisconnectStrings", "BeforeQueryStrings", "AfterQueryStrings", "HostName", "BaseDN", "KeyDBFile",
             "BindPassword", "KeyDBPassword", "Multiplicity", "SourceDefinition", "DimensionToCache", "LevelKey",
             "SubjectArea", "InitString", "DefaultInitValue", "Disabled", "BlockType"]

out = ['<?xml version="1.0" encoding="UTF-8"?>', '<repository format="1" name="SampleApp">']
for number, data in sorted(blobs.items()):
    out.append(f'  <blob number="{number}">{data.hex().upper()}</blob>')

for t in type_order:
    for oid, name, parent, aliases, props in objects[t]:
        attrs = f'id="{oid}" name={quoteattr(name)}' + (f' parent="{parent}"' if parent else "")
        if not aliases and not props:
            out.append(f"  <object {attrs}/>")
            continue
        out.append(f"  <object {attrs}>")
        out.extend(f"    <alias>{escape(a)}</alias>" for a in aliases)
        for key in sorted(props, key=KEY_ORDER.index):
            write_prop(out, key, props[key])
        out.append("  </object>")
for number, args in tuples:
    out.append(f'  <tuple rel="{number}" args="{" ".join(args)}"/>')
out.append("</repository>")
path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.rpd.xml")
with open(path, "w", encoding="utf-8") as f:
    f.write("\n".join(out) + "\n")
print(f"{sum(len(v) for v in objects.values())} objects, {len(tuples)} tuples -> {path}")
