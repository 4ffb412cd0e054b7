"""Checks, dictionary paths, the site, translations, deps and move."""

import html
import pathlib
import re

import pytest

import smutil
from conftest import BROKEN, SAMPLE


def test_the_sample_is_clean(repo: smutil.Repository) -> None:
    assert repo.check() == []


def test_findings_of_physical_tables(broken: smutil.Repository) -> None:
    found = broken.check(types=[smutil.ObjectType.TABLE])
    assert len(found) == 3
    assert all(f.severity is smutil.Severity.ERROR for f in found)
    first = found[0]
    assert (first.message_id, first.check) == (38179, "physical-table-duplicate-name")
    assert first.object.qualified_name == '"Defects DB"..."t1"'
    assert [o.name for o in first.objects] == ["t1", "T1"]
    assert first.text == ('Physical table "Defects DB"..."t1" and physical table "Defects DB"..."T1" have the '
                          'same name in the same container.')
    assert repr(first) == "Finding(<Severity.ERROR: 2>, 38179, 'physical-table-duplicate-name', " \
                          "'\"Defects DB\"...\"t1\"')"


def test_object_scope_and_changed_since(broken: smutil.Repository, out_dir: pathlib.Path) -> None:
    scoped = broken.check(object='"Defects DB"..."T2"')
    assert scoped and all(f.object.qualified_name.startswith('"Defects DB"..."T2"') for f in scoped)
    assert broken.check(changed_since=BROKEN) == []
    renamed = out_dir / "renamed.rpd.xml"
    renamed.write_text(BROKEN.read_text().replace('name="EMPTY_T"', 'name="EMPTY_TABLE"'))
    with smutil.Repository.load(renamed) as now:
        found = now.check(changed_since=BROKEN)
    assert [(f.check, f.message_id) for f in found] == [("physical-table-without-columns", 38146)]
    with pytest.raises(smutil.LoadError):
        broken.check(changed_since=out_dir / "missing.rpd.xml")


def test_findings_outlive_their_repository() -> None:
    with smutil.Repository.load(BROKEN) as r:
        found = r.check(types=["TABLE"])
    assert found[0].text.startswith("Physical table")
    with pytest.raises(smutil.ClosedError):
        found[0].object.name


def test_dictionary_entry(repo: smutil.Repository) -> None:
    e = repo.dict_entry('"Sales DW"."SALESDB"."dbo"."W_ORDERS_F"', smutil.ObjectType.TABLE)
    assert (e.tag, e.short_name) == ("PhysicalTable", "PT")
    assert e.normalized_name.startswith("PT_")
    assert e.path.startswith("Database/DB_") and e.path.endswith(e.normalized_name + ".xml")
    assert e.url.endswith("/" + e.path)
    assert e.object.id == "3001:1"
    every = repo.dict_entries(smutil.ObjectType.TABLE)
    assert [x.path for x in every if x.object.id == "3001:1"] == [e.path]
    assert len(repo.dict_entries()) == len(repo)


def test_site_with_findings(broken: smutil.Repository, out_dir: pathlib.Path) -> None:
    findings = broken.check(types=[smutil.ObjectType.TABLE])
    report = broken.site(out_dir, findings=findings)
    assert report.pages > 0 and report.written > 0
    assert (out_dir / "index.html").exists()
    # The finding's text is on a page of the site (its object's).
    assert any(findings[0].text in html.unescape(p.read_text()) for p in out_dir.rglob("*.html"))
    again = broken.site(out_dir, changed_only=True, findings=findings)
    assert again.written == 0 and again.unchanged > 0


def test_site_refuses_an_unwritable_place(repo: smutil.Repository, out_dir: pathlib.Path) -> None:
    blocker = out_dir / "file"
    blocker.write_text("x")
    with pytest.raises(smutil.WriteError):
        repo.site(blocker / "site")


def test_translations_round_trip(repo: smutil.Repository, out_dir: pathlib.Path) -> None:
    xlf = out_dir / "fr.xlf"
    units, objects = repo.translations.export(xlf, language="fr")
    assert units >= objects > 0
    text = xlf.read_text()
    assert 'trgLang="fr"' in text and text.count("<unit ") == units
    # A translator fills in one target.
    translated = re.sub(r"(<source>([^<]*)</source>)", r"\1<target>FR \2</target>", text, count=1)
    xlf.write_text(translated)
    store = out_dir / "bundles.db"
    imported = repo.translations.import_(xlf, bundles=store)
    assert imported.language == "fr" and imported.imported == 1 and imported.unmatched == []
    coverage = repo.translations.check(store, language="fr")
    assert coverage.languages == ["fr"] and not coverage.complete
    assert len(coverage.missing["fr"]) == units - 1
    broken_xlf = out_dir / "broken.xlf"
    broken_xlf.write_text("<xliff/>")
    with pytest.raises(smutil.TranslationError):
        repo.translations.import_(broken_xlf, bundles=store)


def test_deps_lists_what_a_delete_takes_along(repo: smutil.Repository) -> None:
    region = repo.object('"Sales DW"."SALESDB"."dbo"."W_REGION_D"', smutil.ObjectType.TABLE)
    deps = repo.deps(region)
    assert deps, "a table takes its columns along"
    columns = [d for d in deps if d.relationship == 1]
    assert {d.object.parent for d in columns} == {region}
    assert all(d.from_object == region for d in columns)
    assert any(d.object.type == smutil.ObjectType.FOREIGN_KEY for d in deps)
    assert len(repo) == len(smutil.Repository.load(SAMPLE)), "nothing deleted"


def test_move_and_save(out_dir: pathlib.Path) -> None:
    with smutil.Repository.load(SAMPLE) as repo:
        units = '"Sales OLAP"."SalesCubes".."Sales"."Units"'
        moved = repo.move(units, '"Sales OLAP"."SalesCubes".."Returns"', type=smutil.ObjectType.CUBE_COLUMN,
                          parent_type=smutil.ObjectType.CUBE_TABLE)
        assert moved.qualified_name == '"Sales OLAP"."SalesCubes".."Returns"."Units"'
        with pytest.raises(smutil.MoveError) as e:
            repo.move(moved, "Sales Analysis", parent_type=smutil.ObjectType.CATALOG_FOLDER)
        assert "can be moved under" in e.value.message
        assert moved.parent is not None and moved.parent.name == "Returns"
        repo.save(out_dir / "moved.rpd.xml")
    with smutil.Repository.load(out_dir / "moved.rpd.xml") as again:
        assert again.object(moved.id).qualified_name == '"Sales OLAP"."SalesCubes".."Returns"."Units"'
