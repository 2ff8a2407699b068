package main

import (
	"context"
	"errors"
	"fmt"
	"sync"
	"time"
)

// ErrClosed is returned after Close.
var ErrClosed = errors.New("pool closed")

type Pool struct {
	mu      sync.Mutex
	workers int
	closed  bool
	jobs    chan func() error
}

func NewPool(workers int) *Pool {
	p := &Pool{workers: workers, jobs: make(chan func() error, workers*2)}
	for i := 0; i < workers; i++ {
		go p.loop(i)
	}
	return p
}

func (p *Pool) loop(id int) {
	for job := range p.jobs {
		if err := job(); err != nil {
			fmt.Printf("worker %d: %v\n", id, err)
		}
	}
}

func (p *Pool) Submit(ctx context.Context, job func() error) error {
	p.mu.Lock()
	defer p.mu.Unlock()
	if p.closed {
		return ErrClosed
	}
	select {
	case p.jobs <- job:
		return nil
	case <-ctx.Done():
		return ctx.Err()
	}
}

func main() {
	ctx, cancel := context.WithTimeout(context.Background(), 2*time.Second)
	defer cancel()
	p := NewPool(4)
	_ = p.Submit(ctx, func() error { return fmt.Errorf("job %q failed", "x") })
	time.Sleep(10 * time.Millisecond)
}
