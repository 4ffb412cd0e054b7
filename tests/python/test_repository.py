"""Loading, saving, closing and reading objects."""

import pathlib

import pytest

import smutil
from conftest import SAMPLE


def test_object_by_name_and_by_id(repo: smutil.Repository) -> None:
    for name in ['"Sales Analysis"."Customers"', "Sales Analysis.Customers", ["Sales Analysis", "Customers"],
                 '"Sales Analysis".."Customers"', "4008:2"]:
        obj = repo.object(name, smutil.ObjectType.ENTITY_FOLDER)
        assert obj.id == "4008:2"
        assert obj.type == smutil.ObjectType.ENTITY_FOLDER
        assert obj.type_name == "ENTITY FOLDER"
        assert obj.name == "Customers"
        assert obj.qualified_name == '"Sales Analysis".."Customers"'
        assert obj.segments == ["Sales Analysis", "", "Customers"]
        assert obj.aliases == ["Customer", "Clients"]
        assert obj.display_name == "Kunden & Märkte"
        assert obj.description == "Customers by region"
    customers = repo.object("4008:2")
    assert customers.parent is not None and customers.parent.id == "4004:1"
    assert len(customers.children) == 6
    assert any(c.id == "4010:8" and c.name == "Customer Name" for c in customers.children)


def test_types_given_by_name_or_number(repo: smutil.Repository) -> None:
    by_enum = repo.object("Sales Analysis.Customers", smutil.ObjectType.ENTITY_FOLDER)
    assert repo.object("Sales Analysis.Customers", "entity folder") == by_enum
    assert repo.object("Sales Analysis.Customers", 4008) == by_enum
    with pytest.raises(smutil.UsageError):
        repo.object("Sales Analysis.Customers", "BOGUS")
    with pytest.raises(smutil.UsageError):
        repo.object("Sales Analysis.Customers", 12345)


def test_a_top_level_object_has_no_parent(repo: smutil.Repository) -> None:
    marketing = repo.object("Marketing", 3023)
    assert marketing.parent is None
    assert marketing.aliases == []


def test_names_compare_exactly_and_misses_raise(repo: smutil.Repository) -> None:
    with pytest.raises(smutil.NotFoundError) as e:
        repo.object("Sales DW.SALESDB.dbo.w_orders_f", smutil.ObjectType.TABLE)
    assert "w_orders_f" in e.value.message
    assert isinstance(e.value, LookupError)
    assert repo.find("Sales DW.SALESDB.dbo.w_orders_f") == []


def test_a_name_of_several_types_is_ambiguous(out_dir: pathlib.Path) -> None:
    both = out_dir / "both.rpd.xml"
    both.write_text('<repository format="1">\n  <object id="3023:1" name="Sales"/>\n'
                    '  <object id="2000:1" name="Sales"/>\n</repository>\n')
    with smutil.Repository.load(both) as r:
        assert sorted(o.id for o in r.find("Sales")) == ["2000:1", "3023:1"]
        with pytest.raises(smutil.AmbiguousError) as e:
            r.object("Sales")
        assert "3023:1" in e.value.message and "2000:1" in e.value.message
        assert r.object("Sales", smutil.ObjectType.DATABASE).id == "3023:1"


def test_objects_of_a_type(repo: smutil.Repository) -> None:
    areas = repo.objects(smutil.ObjectType.CATALOG_FOLDER)
    names = [a.name for a in areas]
    assert "Sales Analysis" in names and "Localized Sales" in names
    assert all(a.type == smutil.ObjectType.CATALOG_FOLDER for a in areas)


def test_load_errors_carry_the_position(out_dir: pathlib.Path) -> None:
    bad = out_dir / "bad.rpd.xml"
    bad.write_text('<repository format="1">\n  <object id="9999:1" name="T"/>\n</repository>\n')
    with pytest.raises(smutil.LoadError) as e:
        smutil.Repository.load(bad)
    assert e.value.source == str(bad)
    assert e.value.line == 2
    assert e.value.column is not None and e.value.column > 0
    assert str(e.value).startswith(f"{bad}:2:")
    with pytest.raises(smutil.LoadError) as missing:
        smutil.Repository.load(out_dir / "missing.rpd.xml")
    assert isinstance(missing.value, smutil.Error)


def test_save_writes_a_file_that_loads_the_same(repo: smutil.Repository, out_dir: pathlib.Path) -> None:
    copy = out_dir / "copy.rpd.xml"
    repo.save(copy)
    with smutil.Repository.load(copy) as again:
        assert len(again) == len(repo)
        assert again.object("4008:2").qualified_name == '"Sales Analysis".."Customers"'


def test_a_failed_save_leaves_what_was_there(repo: smutil.Repository, out_dir: pathlib.Path) -> None:
    with pytest.raises(smutil.WriteError):
        repo.save(out_dir / "no such dir" / "x.rpd.xml")
    # A directory where the file should go cannot be replaced by it.
    target = out_dir / "taken.rpd.xml"
    target.mkdir()
    (target / "inside").write_text("kept")
    with pytest.raises(smutil.WriteError):
        repo.save(target)
    assert (target / "inside").read_text() == "kept"


def test_a_closed_repository_refuses_every_call() -> None:
    with smutil.Repository.load(SAMPLE) as r:
        obj = r.object("4008:2")
        assert not r.closed
    assert r.closed
    for call in (lambda: len(r), lambda: r.object("4008:2"), lambda: obj.name, lambda: r.resolve("Sales.Orders"),
                 lambda: r.check()):
        with pytest.raises(smutil.ClosedError):
            call()
    r.close()  # twice is harmless


def test_objects_of_another_repository_are_refused(repo: smutil.Repository) -> None:
    with smutil.Repository.load(SAMPLE) as other:
        with pytest.raises(smutil.UsageError):
            repo.render(other.object("2006:24"))


def test_objects_compare_by_repository_and_id(repo: smutil.Repository) -> None:
    a = repo.object("4008:2")
    assert a == repo.object("Sales Analysis.Customers", smutil.ObjectType.ENTITY_FOLDER)
    assert a != repo.object("4004:1")
    assert len({a, repo.object("4008:2")}) == 1
    assert "4008:2" in repr(a) and '"Sales Analysis".."Customers"' in repr(a)
