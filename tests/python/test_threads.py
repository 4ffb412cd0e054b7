"""One repository read from several Python threads at once, with the GIL
released during the long calls, gives the answers of one thread."""

import threading
from typing import Callable, Dict, List

import smutil
from conftest import BROKEN


def answers(repo: smutil.Repository) -> Dict[str, object]:
    return {
        "orders": repr(repo.resolve("Sales.Orders")),
        "kiosk": repo.resolve("Sales.Orders", user="kiosk").code,
        "margin": repo.resolve("Sales.Margin").suggestions,
        "column": repr(repo.resolve("Sales.Orders.Discont", column=True)),
        "checks": [repr(f) for f in repo.check()],
        "render": repo.render("2006:24", fully_qualified=True),
        "display": repo.object("4008:2").display_name,
        "dict": [e.path for e in repo.dict_entries(smutil.ObjectType.TABLE)],
    }


def test_threads_share_one_repository() -> None:
    with smutil.Repository.load(BROKEN) as repo:
        expected = answers(repo)
        results: List[Dict[str, object]] = []
        errors: List[BaseException] = []

        def work() -> None:
            try:
                for _ in range(5):
                    results.append(answers(repo))
            except BaseException as e:  # reported below
                errors.append(e)

        threads = [threading.Thread(target=work) for _ in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert errors == []
        assert len(results) == 20
        assert all(r == expected for r in results)


def test_close_waits_for_running_calls() -> None:
    repo = smutil.Repository.load(BROKEN)
    done: List[int] = []
    failures: List[BaseException] = []

    def check() -> None:
        try:
            done.append(len(repo.check()))
        except smutil.ClosedError:
            done.append(-1)
        except BaseException as e:
            failures.append(e)

    calls: List[Callable[[], None]] = [check] * 4
    threads = [threading.Thread(target=c) for c in calls]
    for t in threads:
        t.start()
    repo.close()
    for t in threads:
        t.join()
    assert failures == []
    # Each call ran whole before the close, or was refused after it.
    assert all(n == -1 or n > 0 for n in done) and len(done) == 4
