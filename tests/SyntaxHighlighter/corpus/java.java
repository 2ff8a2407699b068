package org.example.ledger;

import java.math.BigDecimal;
import java.util.ArrayList;
import java.util.List;
import java.util.Objects;

/**
 * A ledger of signed amounts.
 */
public final class Ledger implements Iterable<Ledger.Entry> {
    public static final int MAX_ENTRIES = 10_000;

    public record Entry(String account, BigDecimal amount) {
        public Entry {
            Objects.requireNonNull(account, "account");
        }
    }

    private final List<Entry> entries = new ArrayList<>();

    @Override
    public java.util.Iterator<Entry> iterator() {
        return entries.iterator();
    }

    public synchronized void post(String account, BigDecimal amount) {
        if (entries.size() >= MAX_ENTRIES) {
            throw new IllegalStateException("ledger full: " + entries.size());
        }
        entries.add(new Entry(account, amount));
    }

    public BigDecimal balance(String account) {
        BigDecimal sum = BigDecimal.ZERO;
        for (Entry e : this) {
            if (e.account().equals(account)) sum = sum.add(e.amount());
        }
        return sum;
    }

    public static void main(String[] args) {
        var ledger = new Ledger();
        ledger.post("cash", new BigDecimal("12.50"));
        ledger.post("cash", BigDecimal.valueOf(-2L));
        System.out.printf("cash: %s%n", ledger.balance("cash"));
    }
}
