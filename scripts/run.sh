#!/bin/sh
# Builds the smutil tool and shows it working on the bundled sample repository
# (samples/sample.rpd.xml, used whenever --repo is not given).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target smutil
OUT="${TMPDIR:-/tmp}/smutil-run.$$"
mkdir -p "$OUT"
trap 'rm -rf "$OUT"' EXIT
set -x
build/smutil --help
build/smutil version
build/smutil help show
# Bad usage exits with 2 and names what is wrong.
build/smutil show --type || true
# Qualified names: write, read back, cut at full stops.
build/smutil quote "Sales Analysis" "" 'Order "Lines"'
build/smutil parse '"Sales Analysis".."Customers"'
build/smutil split 'Sales DW.SALESDB.dbo."W_ORDERS.F"'
# Objects of the sample by name and type (empty levels may be left out).
build/smutil show --type TABLE '"Sales DW"."SALESDB"."dbo"."W_ORDERS_F"'
build/smutil show --type "presentation table" "Sales Analysis.Customers"
build/smutil show --type "LOGICAL COLUMN" Sales Orders Revenue
build/smutil show --type TABLE Marketing RESPONSES
# Names already taken: all databases, the columns of one table.
build/smutil names --type DATABASE
build/smutil names --type DATABASE --format json
build/smutil names --type COLUMN --parent-type TABLE --parent "Sales DW.SALESDB.dbo.W_CUSTOMER_D"
# A name that is not there (exit code 1, with the names it might have meant).
build/smutil show --type TABLE "Sales DW.SALESDB.dbo.w_orders_f" || true
# Expressions as logical SQL, lookup conditions, variables in text.
build/smutil render --type "LOGICAL COLUMN" Sales Orders Revenue
build/smutil render --expr 'Add(1,Multiply(2,3))'
build/smutil render --catalog "Localized Sales" --display --lang fr --expr 'Concat(#2006:30,#2006:31)'
build/smutil format --type "LOGICAL COLUMN" Sales.Orders.Revenue --set 'Orders.Quantity*Orders."Unit Price"'
build/smutil find --type "presentation table" Customers
# Resolving a query's names as a user: outcome, candidates, "did you mean".
build/smutil resolve Sales.Orders Fin.Ledger Finance || true
build/smutil resolve --user tom.ito Sales.Margin Sales.Margins || true
build/smutil vars 'Hello VALUEOF(VX_SESSION.USER) and VALUEOF("Region")'
# Metadata dictionary, consistency messages, query text.
build/smutil dict '"Sales DW"."SALESDB"."dbo"."W_ORDERS_F"'
build/smutil dict --type DATABASE --format json
build/smutil message 38009 2006:1
build/smutil message 38126 2006:1     # one object gives both its type and its name
build/smutil message --format json 39080 2006:1 2006:2
build/smutil query --fq samples/queries/orders_by_region.qry
# What deleting an object would take along (nothing is deleted).
build/smutil deps --type TABLE '"Sales DW"."SALESDB"."dbo"."W_REGION_D"'
build/smutil deps --count --type ROLE "Sales.Product Dim.Total to Brand.Brands"
# Consistency checks: the sample is clean; the broken sample holds one defect per check (exit code 1).
build/smutil check
build/smutil --repo samples/broken.rpd.xml check --type "LOGICAL TABLE" || true
build/smutil --repo samples/broken.rpd.xml check --format sarif > "$OUT/broken.sarif" || true
# Presentation navigation: drill paths, a column's siblings, a project.
build/smutil drill --type "PRESENTATION LEVEL" "Marketing Insights.Customers.Customer Geography.Country"
build/smutil siblings '"Sales Analysis".."Time"."Month"'
build/smutil project --excluded "Sales Reporting"
# Moving an object (the result saved to a copy; a move its type refuses exits 1).
build/smutil move --type "PHYSICAL LEVEL" '"Sales OLAP"."SalesCubes".."Sales"."Calendar"."Month"' \
  --to-type "PHYSICAL LEVEL" '"Sales OLAP"."SalesCubes".."Sales"."Fiscal"."Fiscal Year"' --save "$OUT/moved.rpd.xml"
build/smutil move --type "CUBE COLUMN" '"Sales OLAP"."SalesCubes".."Sales"."Units"' \
  --to-type "PHYSICAL LEVEL" '"Sales OLAP"."SalesCubes".."Returns"."Calendar"."Year"' || true
# Variables in text and a connection pool's personalized scripts.
build/smutil subst --list VX_SESSION.SALES_REGIONS=North,East \
  'IN (VALUELISTOF(VX_SESSION.SALES_REGIONS)) second=VALUEOF(1, VX_SESSION.SALES_REGIONS) co=VALUEOF(COMPANY_NAME)'
build/smutil scripts --user anna.berg --session VX_SESSION.APP_ROLE=viewer \
  --list VX_SESSION.SALES_REGIONS=North,East '"Sales DW"."Variable Pool"'
# Maintenance: re-key the sealed passwords of a copy, clear connection details, archive.
cp samples/sample.rpd.xml "$OUT/copy.rpd.xml"
printf 'sample-pass-phrase\nnew phrase\n' | build/smutil rekey "$OUT/copy.rpd.xml"
build/smutil sanitize samples/sample.rpd.xml "$OUT/shared.rpd.xml"
build/smutil archive samples/sample.rpd.xml "$OUT/sample.rpa"
# Custom display names from the bundle strings, in two languages.
build/smutil names --display --lang fr --type "PRESENTATION COLUMN" \
  --parent-type "PRESENTATION TABLE" --parent '"Localized Sales".."Products"'
build/smutil names --display --lang en --type "PRESENTATION COLUMN" \
  --parent-type "PRESENTATION TABLE" --parent '"Localized Sales".."Products"'
# Repository files: save the sample again, generate a large one and use it.
build/smutil convert samples/sample.rpd.xml "$OUT/sample-copy.rpd.xml"
cmp samples/sample.rpd.xml "$OUT/sample-copy.rpd.xml"
build/smutil generate 100000 "$OUT/synthetic.rpd.xml"
build/smutil --repo "$OUT/synthetic.rpd.xml" show --type TABLE DW_0.CAT_0.SCHEMA_0.F_ORDER_1
# A broken file is refused with its line and column (exit code 1).
printf '<?xml version="1.0"?>\n<repository format="1">\n<object id="3001:1" name="T" parent="3023:9"/>\n</repository>\n' \
  > "$OUT/broken.rpd.xml"
build/smutil --repo "$OUT/broken.rpd.xml" show --type TABLE T || true
# Logical SQL as people type it: every fault with its place (exit 1), the
# query written back in two naming modes, and what each name resolved to.
build/smutil sql check samples/queries/broken_names.sql || true
build/smutil sql check --user anna.berg samples/queries/secured_column.sql || true
build/smutil sql format samples/queries/revenue_by_region.sql
build/smutil sql format --by-id samples/queries/customers_union.sql
build/smutil sql explain samples/queries/revenue_by_region.sql
