use std::collections::HashMap;
use std::fmt;
use std::io::{self, BufRead};

#[derive(Debug, Clone, PartialEq)]
pub enum Token {
    Number(f64),
    Word(String),
}

pub struct Counter<'a> {
    words: HashMap<&'a str, usize>,
    total: usize,
}

impl<'a> Counter<'a> {
    pub fn new() -> Self {
        Self { words: HashMap::new(), total: 0 }
    }

    pub fn feed(&mut self, line: &'a str) -> usize {
        let before = self.total;
        for word in line.split_whitespace().filter(|w| !w.is_empty()) {
            *self.words.entry(word).or_insert(0) += 1;
            self.total += 1;
        }
        self.total - before
    }
}

impl fmt::Display for Counter<'_> {
    fn fmt(&self, f: &mut fmt::Formatter<'_>) -> fmt::Result {
        write!(f, "{} words, {} distinct", self.total, self.words.len())
    }
}

fn main() -> io::Result<()> {
    const LIMIT: usize = 1_000;
    let lines: Vec<String> = io::stdin().lock().lines().take(LIMIT).collect::<Result<_, _>>()?;
    let mut counter = Counter::new();
    for line in &lines {
        counter.feed(line);
    }
    println!("{counter}");
    let token = Token::Number(0x1F as f64);
    assert_eq!(token, Token::Number(31.0), "hex literal");
    Ok(())
}
