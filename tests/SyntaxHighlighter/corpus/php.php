<?php
declare(strict_types=1);

namespace App\Mail;

use InvalidArgumentException;

interface Transport
{
    public function send(Message $message): bool;
}

final class Message
{
    public const MAX_SUBJECT = 78;

    public function __construct(
        private string $to,
        private string $subject,
        private array $headers = [],
    ) {
        if (strlen($subject) > self::MAX_SUBJECT) {
            throw new InvalidArgumentException("subject too long: {$subject}");
        }
    }

    public function header(string $name, string $value): static
    {
        $this->headers[$name] = $value;
        return $this;
    }

    public function render(): string
    {
        $lines = array_map(fn($k, $v) => "$k: $v", array_keys($this->headers), $this->headers);
        return implode("\r\n", $lines) . "\r\nSubject: " . $this->subject;
    }
}

$message = (new Message('ops@example.org', 'Disk usage > 90%'))->header('X-Priority', '1');
echo $message->render(), PHP_EOL;
?>
<p>Sent at <?= date('H:i') ?></p>
